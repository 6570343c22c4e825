#pragma once
// Whole-stage snapshots for undo and redo. Snapshots 0..Position are the undo
// steps (the newest at Position); the ones after Position are redo steps.
// Beside each snapshot the history keeps the stage number the snapshot's
// stage came from (its origin), which the record itself does not hold.

#include "stage/StageRecord.h"

#include <memory>
#include <vector>

class THistory {
public:
    static constexpr int MaxDepth = 50;

    int Count() const { return static_cast<int>(FItems.size()); }
    int Position() const { return FPosition; }
    StageRecord* Item(int index) const { return FItems.at(static_cast<std::size_t>(index)).Record.get(); }
    // The snapshot at Position, or null when there is none.
    StageRecord* Current() const
    {
        return FPosition >= 0 ? FItems[static_cast<std::size_t>(FPosition)].Record.get() : nullptr;
    }
    // The origin kept beside the snapshot at Position, which must exist
    // (Current() is not null).
    int& CurrentOrigin() { return FItems.at(static_cast<std::size_t>(FPosition)).Origin; }

    // Drops the redo tail, appends the snapshot with its origin (dropping the
    // oldest beyond MaxDepth) and makes it current.
    void Add(std::unique_ptr<StageRecord> snapshot, int origin = -1);
    bool Back();
    bool Forward();

private:
    struct TEntry {
        std::unique_ptr<StageRecord> Record;
        int Origin = -1;
    };
    std::vector<TEntry> FItems;
    int FPosition = -1;
};
