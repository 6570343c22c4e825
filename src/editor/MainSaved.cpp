// Whether the live stage is saved, and whether a save would replace another
// stage. Both compare records, never flags set by handlers: painting a cell
// and painting it back, or undoing to the saved state, is saved again.
#include "editor/Main.h"

#include "editor/Recovery.h"
#include "storage/FileLookup.h"
#include "storage/StageFile.h"

#include <cstddef>
#include <cstring>

void TMainForm::TakeAsSaved(const StageRecord* found)
{
    StageRecord live;
    CaptureStage(live);
    Saved.SetBaseline(&live);
    Saved.Origin = StageNum;
    Saved.Remember(StageNum, found);
}

bool TMainForm::StageUnsaved()
{
    const StageRecord* baseline = Saved.Baseline();
    if (!baseline)
        return Saved.Origin >= 0;  // restored where the file holds nothing; before the first load, nothing to lose
    TSaveState::TCellsCompared& cells = Saved.Cells;
    if (!cells.Valid || cells.BG != BGLayer->CodeRevision() || cells.FG != FGLayer->CodeRevision()
        || cells.Baseline != Saved.BaselineRevision()) {
        bool differ = false;
        for (int x = 0; x < FieldColumns && !differ; ++x)
            for (int y = 0; y < FieldRows && !differ; ++y)
                differ = static_cast<std::int16_t>(BGLayer->Cell(x + 1, y + 1)) != baseline->BG[x][y]
                         || static_cast<std::int16_t>(FGLayer->Cell(x + 1, y + 1)) != baseline->FG[x][y];
        cells = {true, BGLayer->CodeRevision(), FGLayer->CodeRevision(), Saved.BaselineRevision(), differ};
    }
    if (cells.Differ)
        return true;
    // The settings are plain fields any window may write: compared every time.
    StageRecord settings;
    std::memset(static_cast<void*>(&settings), 0, offsetof(StageRecord, BG));
    CaptureSettings(settings);
    return std::memcmp(&settings, baseline, offsetof(StageRecord, BG)) != 0;
}

std::optional<TReplaceQuestion> TMainForm::ReplaceQuestion() const
{
    StageRecord there;
    if (!ReadStageRecord(FindStageFile(StageFileName), StageNum, there) || IsEmptyRecord(there))
        return std::nullopt;  // no stage to lose there
    StageRecord live;
    CaptureStage(live);
    if (RecordsEqual(there, live))
        return std::nullopt;
    const std::optional<StageRecord>* remembered = Saved.Remembered(StageNum);
    const bool changedMeanwhile = remembered && !(remembered->has_value() && RecordsEqual(**remembered, there));
    if (StageNum == Saved.Origin && !changedMeanwhile)
        return std::nullopt;
    TReplaceQuestion question;
    question.Number = StageNum;
    question.FileCaption.Assign(there.Caption.Chars, there.Caption.Length);
    question.LiveCaption.Assign(Caption.Chars, Caption.Length);
    return question;
}

void TMainForm::RestoreStage(const StageRecord& record, int number)
{
    // The control reports its new position back through edStageNumChange.
    Host.SetStageNumControl(number);
    ShadowLayer->Visible = true;
    BGLayer->Visible = true;
    FGLayer->Visible = true;
    ApplyStage(record);
    StageRecord found;
    const bool present = static_cast<bool>(ReadStageRecord(FindStageFile(StageFileName), StageNum, found));
    Saved.SetBaseline(present ? &found : nullptr);
    Saved.Origin = StageNum;
    Saved.Remember(StageNum, present ? &found : nullptr);
}

void TMainForm::KeepRecoveryCopy(std::chrono::steady_clock::time_point now)
{
    if (!Recovery)
        return;
    if (StageUnsaved()) {
        StageRecord record;
        CaptureStage(record);
        Recovery->Keep(record, StageNum, Saved.Origin, Saved.Remembered(Saved.Origin), now);
    } else {
        Recovery->Drop();
    }
    if (const std::string failure = Recovery->TakeFailure(); !failure.empty())
        Host.ReportError(failure);
}
