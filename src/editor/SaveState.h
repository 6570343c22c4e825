#pragma once
// What the editor knows of the stage file beside the live stage: the record
// the live stage counts as saved against (the baseline), the stage number
// the live stage came from (its origin), and what records of the file held
// when the editor last read or wrote them. The editor decides from these
// whether the live stage is unsaved and whether a save would replace another
// stage.

#include "stage/StageRecord.h"
#include "storage/StageSetStep.h"

#include <cstdint>
#include <map>
#include <optional>

class TSaveState {
public:
    // The record Save would have written right after the last load, or that
    // the last save wrote; none: the live stage counts as unsaved whatever it
    // holds (a restored stage whose number the file does not hold).
    const StageRecord* Baseline() const { return FBaseline ? &*FBaseline : nullptr; }
    void SetBaseline(const StageRecord* record);
    // Changes with every SetBaseline, so a cache of a comparison with the
    // baseline knows when it is stale.
    std::uint64_t BaselineRevision() const { return FBaselineRevision; }

    // The stage number the live stage was last loaded from, saved to,
    // restored for or imported as; -1 before the first load.
    int Origin = -1;

    // What record `number` held when the editor last read or wrote it: a
    // record, or none when the file held no stage record there.
    void Remember(int number, const StageRecord* record);
    // Null when the editor never read or wrote record `number`; else what it
    // remembers (an empty optional: no record there).
    const std::optional<StageRecord>* Remembered(int number) const;
    // The editor changed the stage file by `step`: what it remembers of a
    // record moves with the record (so a change another program made to it
    // still shows), and a number the step gave a new record, or took one
    // from, is remembered as the step left it. The origin is the caller's.
    void FollowRecords(const TStageSetStep& step);

    // The last comparison of the live cells with the baseline, valid while
    // the layers' code revisions and the baseline's revision are these.
    struct TCellsCompared {
        bool Valid = false;
        std::uint64_t BG = 0;
        std::uint64_t FG = 0;
        std::uint64_t Baseline = 0;
        bool Differ = false;
    };
    TCellsCompared Cells;

private:
    std::optional<StageRecord> FBaseline;
    std::uint64_t FBaselineRevision = 0;
    std::map<int, std::optional<StageRecord>> FRemembered;
};
