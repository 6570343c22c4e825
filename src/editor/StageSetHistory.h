#pragma once
// The undo history of stage set operations (the Stages window's), apart from
// the stage history of edits: each step is what one operation changed in the
// stage file. A new step drops the steps that were undone; past Capacity the
// oldest goes.

#include "storage/StageSetStep.h"

#include <cstddef>
#include <deque>
#include <string>

class TStageSetHistory {
public:
    static constexpr std::size_t Capacity = 30;

    struct TEntry {
        TStageSetStep Step;
        std::string Label;  // what the designer did, in words ("Moved 03 to 07")
        // The step replaced the live stage, stage ReplacedLive, which was
        // loaded again at that number; -1 when it did not.
        int ReplacedLive = -1;
    };

    void Push(TEntry entry);
    void Clear();

    // The step Undo would take back, and the one Redo would make again.
    const TEntry* NextUndo() const { return FUndo.empty() ? nullptr : &FUndo.back(); }
    const TEntry* NextRedo() const { return FRedo.empty() ? nullptr : &FRedo.back(); }
    // NextUndo was taken back, or NextRedo made again.
    void Undone();
    void Redone();

private:
    std::deque<TEntry> FUndo;
    std::deque<TEntry> FRedo;
};
