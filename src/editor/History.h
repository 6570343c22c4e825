#pragma once
// Whole-stage snapshots for undo and redo. Snapshots 0..Position are the undo
// steps (the newest at Position); the ones after Position are redo steps.

#include "stage/StageRecord.h"

#include <memory>
#include <vector>

class THistory {
public:
    static constexpr int MaxDepth = 50;

    int Count() const { return static_cast<int>(FItems.size()); }
    int Position() const { return FPosition; }
    StageRecord* Item(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    // The snapshot at Position, or null when there is none.
    StageRecord* Current() const
    {
        return FPosition >= 0 ? FItems[static_cast<std::size_t>(FPosition)].get() : nullptr;
    }

    // Drops the redo tail, appends the snapshot (dropping the oldest beyond
    // MaxDepth) and makes it current.
    void Add(std::unique_ptr<StageRecord> snapshot);
    bool Back();
    bool Forward();

private:
    std::vector<std::unique_ptr<StageRecord>> FItems;
    int FPosition = -1;
};
