// The text map of the live stage: storage reads and writes the text; this
// captures the stage for it and applies what it read through the live layers.
#include "editor/Main.h"

#include "storage/TextMap.h"

std::string TMainForm::ExportTextMap() const
{
    StageRecord record;
    CaptureStage(record);
    return WriteTextMap(record, StageNum);
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

// The settings go in before the cells, and the cells row by row, BG before FG
// in each, through the change rules: an FG code read later wins over an
// exclusive BG code. The border ring stays as it is.
void TMainForm::ApplyTextMap(const TTextMap& map)
{
    const StageRecord& stage = map.Stage;
    Caption.Assign(stage.Caption.Chars, stage.Caption.Length);
    SetBGBitmap(stage.BG_Bitmap);
    BG_Color = stage.BG_Color;
    BG_H_Tile = stage.BG_H_Tile;
    BG_V_Tile = stage.BG_V_Tile;
    // Only the 16 meaningful slots: the others keep what the stage had.
    for (int type = 0; type < EnemyTypeCount; ++type)
        EnemyCount[type] = stage.EnemyCount[type];
    EnemyTotal = SumEnemyCounts(EnemyCount);
    MaxCount = stage.MaxCount;
    SI_Bitmap.Assign(stage.SI_Bitmap.Chars, stage.SI_Bitmap.Length);

    for (int y = 0; y < FieldRows; ++y) {
        for (int x = 0; x < FieldColumns; ++x)
            BGLayer->SetCell(x + 1, y + 1, stage.BG[x][y]);
        for (int x = 0; x < FieldColumns; ++x)
            FGLayer->SetCell(x + 1, y + 1, stage.FG[x][y]);
    }

    // The control keeps its position within 0..99 and reports a change back
    // through edStageNumChange. The stage now comes from that number.
    Host.SetStageNumControl(static_cast<std::int16_t>(map.StageNumber));
    Saved.Origin = StageNum;
    UpdateTitle();
}
