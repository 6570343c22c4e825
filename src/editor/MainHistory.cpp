// Undo and redo by exchanging the live stage with a snapshot: the snapshot
// always holds the other side of one edit.
#include "editor/Main.h"

void TMainForm::PushHistory()
{
    auto snapshot = std::make_unique<StageRecord>();
    CaptureStage(*snapshot);
    History.Add(std::move(snapshot));
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
    UpdateUndoButtons();
}

void TMainForm::UpdateUndoButtons()
{
    Host.SetUndoEnabled(History.Position() >= 0);
    Host.SetRedoEnabled(History.Position() < History.Count() - 1);
}
