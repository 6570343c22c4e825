// Stage set operations as the editor makes them: one transaction on the
// stage file each, after which the live stage follows its record, and an
// undo history of their own.
#include "editor/Main.h"

#include "storage/FileLookup.h"

#include <utility>

TStageSetOutcome TMainForm::PreviewStageSet(const TStageSetEdit& edit, bool mayCreate) const
{
    return ::PreviewStageSet(FindStageFile(StageFileName), edit, mayCreate);
}

bool TMainForm::ReplacesLiveStage(const TStageSetStep& step) const
{
    return Saved.Origin >= 0 && step.Destination(Saved.Origin) < 0;
}

TStageSetOutcome TMainForm::ChangeStageSet(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate,
                                           std::string label)
{
    TStageSetOutcome outcome = RunStageSetEdit(edit, discardUnsaved, mayCreate);
    if (outcome && !outcome.Step.Empty())
        StageSetHistory.Push(outcome.Step, std::move(label));
    return outcome;
}

std::optional<TStageSetEdit> TMainForm::UndoStageSetEdit() const
{
    const TStageSetHistory::TEntry* entry = StageSetHistory.NextUndo();
    if (!entry)
        return std::nullopt;
    return ReplayStageSetStep(InverseStageSetStep(entry->Step));
}

std::optional<TStageSetEdit> TMainForm::RedoStageSetEdit() const
{
    const TStageSetHistory::TEntry* entry = StageSetHistory.NextRedo();
    if (!entry)
        return std::nullopt;
    return ReplayStageSetStep(entry->Step);
}

TStageSetOutcome TMainForm::UndoStageSet(bool discardUnsaved)
{
    return StepStageSetHistory(true, discardUnsaved);
}

TStageSetOutcome TMainForm::RedoStageSet(bool discardUnsaved)
{
    return StepStageSetHistory(false, discardUnsaved);
}

TStageSetOutcome TMainForm::StepStageSetHistory(bool undo, bool discardUnsaved)
{
    const std::optional<TStageSetEdit> edit = undo ? UndoStageSetEdit() : RedoStageSetEdit();
    if (!edit)
        return TStageSetOutcome{undo ? "there is nothing to undo" : "there is nothing to redo", {}, 0};
    TStageSetOutcome outcome = RunStageSetEdit(*edit, discardUnsaved, false);
    if (outcome)
        undo ? StageSetHistory.Undone() : StageSetHistory.Redone();
    return outcome;
}

TStageSetOutcome TMainForm::RunStageSetEdit(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate)
{
    const bool keepLive = !discardUnsaved && StageUnsaved();
    // Decided under the file's lock: the file may have changed since the
    // designer was asked.
    const TStageSetEdit guarded = [&](const std::vector<StageRecord>& records) {
        TStageSetResult result = edit(records);
        if (result.Error.empty() && keepLive && ReplacesLiveStage(MakeStageSetStep(records, result)))
            result =
                TStageSetResult{{}, {}, "stage " + StageNumberText(Saved.Origin) + " has changes that are not saved"};
        return result;
    };
    TStageSetOutcome outcome = ::ChangeStageSet(FindStageFile(StageFileName), guarded, mayCreate);
    if (outcome && !outcome.Step.Empty())
        FollowStageSet(outcome.Step);
    return outcome;
}

void TMainForm::FollowStageSet(const TStageSetStep& step)
{
    const int origin = Saved.Origin;
    Saved.FollowRecords(step);
    if (origin < 0)
        return;
    const int destination = step.Destination(origin);
    if (destination < 0) {
        // Its record was replaced: loaded again from there, as Load does.
        Host.SetStageNumControl(origin);
        LoadStage();
        return;
    }
    if (destination == origin)
        return;
    // The control reports its new position back through edStageNumChange,
    // which sets StageNum and the title.
    if (StageNum == origin)
        Host.SetStageNumControl(destination);
    Saved.Origin = destination;
}
