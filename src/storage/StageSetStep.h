#pragma once
// One change of a stage file's list of records, as an operation made it:
// what each changed number held before and after, and where each record
// went. Enough to check that the file still holds what the change left, to
// put back what was there, and to tell who held a stage where it went.

#include "stage/StageRecord.h"
#include "storage/StageSetEdits.h"

#include <cstdint>
#include <vector>

struct TStageSetStep {
    std::int64_t CountBefore = 0;
    std::int64_t CountAfter = 0;
    // As TStageSetResult::Source: for each number after, the number its
    // record had before, or -1 for a new one. A new record that equals what
    // its number held counts as the one that stayed.
    std::vector<int> Source;

    // A number whose bytes changed, or that holds a record on one side only:
    // indexes into Records, -1 for no record.
    struct TChange {
        int Number = 0;
        int Before = -1;
        int After = -1;
    };
    std::vector<TChange> Changes;      // by number, ascending
    std::vector<StageRecord> Records;  // each content once

    bool Empty() const { return Changes.empty() && CountBefore == CountAfter; }
    // Where the record that `number` held went: its number after, or -1 when
    // it was replaced or removed, or a record came where there was none. A
    // number past both ends stays itself.
    int Destination(int number) const;
    // The record `number` held before and holds after, where it changed
    // (none: no record there, or the number did not change).
    const StageRecord* Before(int number) const;
    const StageRecord* After(int number) const;

private:
    const TChange* ChangeAt(int number) const;
};

// The step from `before` to `result` (which holds no error).
TStageSetStep MakeStageSetStep(const std::vector<StageRecord>& before, const TStageSetResult& result);

// The step that puts back what `step` changed.
TStageSetStep InverseStageSetStep(const TStageSetStep& step);

// `step` made once more on whatever records there are now: refused unless
// they hold, at every number it changes, what it found there (and as many
// records as it found, when it changes their count), so that no newer work
// is overwritten. Records it did not change are kept as they are.
TStageSetEdit ReplayStageSetStep(const TStageSetStep& step);
