// Undo and redo by exchanging the live stage with a snapshot: the snapshot
// always holds the other side of one edit. The live stage's origin travels
// with it: an undo across a load brings back where the older stage came from.
#include "editor/Main.h"

#include <utility>

void TMainForm::PushHistory()
{
    auto snapshot = std::make_unique<StageRecord>();
    CaptureStage(*snapshot);
    History.Add(std::move(snapshot), Document.Saved().Origin);
    UpdateUndoButtons();
}

void TMainForm::Undo()
{
    StageRecord* current = History.Current();
    if (!current)
        return;
    const StageRecord previous = *current;
    CaptureStage(*current);
    ApplyStage(previous);
    std::swap(Document.Saved().Origin, History.CurrentOrigin());
    History.Back();
    UpdateUndoButtons();
}

void TMainForm::Redo()
{
    if (!History.Forward())
        return;
    StageRecord* next = History.Current();
    const StageRecord undone = *next;
    CaptureStage(*next);
    ApplyStage(undone);
    std::swap(Document.Saved().Origin, History.CurrentOrigin());
    UpdateUndoButtons();
}

void TMainForm::UpdateUndoButtons()
{
    Host.SetUndoEnabled(History.Position() >= 0);
    Host.SetRedoEnabled(History.Position() < History.Count() - 1);
}

void TMainForm::ClearHistory()
{
    History = THistory();
    UpdateUndoButtons();
}
