#pragma once
// Three-way merge of stage sets, as a version-control merge needs it: the
// stages of both sides are paired with the base's (PairStages), the order
// merges as diff3 merges lines over those pairs, and each stage paired on
// both sides merges cell by cell and setting by setting. Whatever happens,
// the result is a list of valid records: a conflict keeps one side's value
// and is listed.

#include "stage/StageRecord.h"
#include "storage/RecordMerge.h"

#include <string>
#include <vector>

struct TStageMerge {
    std::vector<StageRecord> Records;
    std::vector<TMergeConflict> Conflicts;  // in the order of the result
    std::string Error;                      // the result would hold more than maxRecords: nothing else is set
};

// Merges `ours` and `theirs`, both made from `base`. A stage moved, added or
// removed on one side takes its new place, and the other side's edits to it
// follow it. Where both sides changed the order of a stretch differently,
// or one removed a stage that the other changed or moved, `prefer`'s side
// is kept and a conflict listed. Empty stages at the end of a list are
// padding: the result is as long as the side that changed the length (the
// longer when both did), and never shorter than its stages.
TStageMerge MergeStageSets(const std::vector<StageRecord>& base, const std::vector<StageRecord>& ours,
                           const std::vector<StageRecord>& theirs, TMergeSide prefer, std::size_t maxRecords);
