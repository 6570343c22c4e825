#pragma once
// The undo history of stage set operations (the Stages window's), apart from
// the stage history of edits: each step is what one operation changed in the
// stage file. A new step drops the steps that were undone; past Capacity the
// oldest goes.

#include "storage/StageSetStep.h"

#include <cstddef>
#include <deque>

class TStageSetHistory {
public:
    static constexpr std::size_t Capacity = 30;

    void Push(TStageSetStep step);
    void Clear();

    // The step Undo would take back, and the one Redo would make again.
    const TStageSetStep* NextUndo() const { return FUndo.empty() ? nullptr : &FUndo.back(); }
    const TStageSetStep* NextRedo() const { return FRedo.empty() ? nullptr : &FRedo.back(); }
    // NextUndo was taken back, or NextRedo made again.
    void Undone();
    void Redone();

    std::size_t UndoCount() const { return FUndo.size(); }
    std::size_t RedoCount() const { return FRedo.size(); }

private:
    std::deque<TStageSetStep> FUndo;
    std::deque<TStageSetStep> FRedo;
};
