// The text map of the live stage: storage reads and writes the text; this
// captures the stage for it and applies what it read through the live layers.
#include "editor/Main.h"

#include "stage/TextMapStage.h"
#include "storage/TextMap.h"

#include <cstring>

std::string TMainForm::ExportTextMap() const
{
    StageRecord record;
    CaptureStage(record);
    return WriteTextMap(record, Document.StageNum());
}

// The whole import is one undo step; a text without a stage header takes its
// own step back and leaves the live stage as it was.
bool TMainForm::ImportTextMap(const std::string& text)
{
    PushHistory();
    const std::optional<TTextMap> map = ReadTextMap(text);
    if (!map) {
        Undo();
        return false;
    }
    ApplyTextMap(*map);
    return true;
}

// The settings a text map carries go in before the cells (the others stay,
// EnemyCount slots 16..31 among them), and the cells row by row, all BG and
// then all FG, through the change rules: an FG code read later wins over an
// exclusive BG code. The border ring stays as it is. ImportedStage builds
// the same record without an editor.
void TMainForm::ApplyTextMap(const TTextMap& map)
{
    FLineAnchor.reset();
    StageRecord settings;
    std::memset(static_cast<void*>(&settings), 0, sizeof settings);
    CaptureSettings(settings);
    TakeTextMapSettings(settings, map.Stage);
    ApplySettings(settings);

    const StageRecord& stage = map.Stage;
    for (int y = 0; y < FieldRows; ++y) {
        for (int x = 0; x < FieldColumns; ++x)
            BGLayer->SetCell(x + 1, y + 1, stage.BG[x][y]);
        for (int x = 0; x < FieldColumns; ++x)
            FGLayer->SetCell(x + 1, y + 1, stage.FG[x][y]);
    }

    // The stage now comes from the map's number (kept within 0..99).
    Document.ImportedAs(static_cast<std::int16_t>(map.StageNumber));
    UpdateTitle();
}
