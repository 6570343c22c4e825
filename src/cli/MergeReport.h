#pragma once
// stagetool merge's list of conflicts: one line each for standard error, or
// one JSON document for --json.

#include "stage/StageRecord.h"
#include "storage/StageMerge.h"

#include <string>
#include <vector>

// The three inputs of a merge, for the values the conflicts name.
struct TMergeInputs {
    std::vector<StageRecord> Base;
    std::vector<StageRecord> Ours;
    std::vector<StageRecord> Theirs;
};

// "FILE: stage 07: cell 12,5: base BG 0 grass, FG -1 empty; ours ...;
// theirs ...", one line per conflict, each naming where it is in the result
// ("stage -" when the result does not hold it) and the three values.
std::string ConflictLines(const std::vector<TMergeConflict>& conflicts, const TMergeInputs& inputs,
                          const std::string& file);

// {"file":...,"kept":"ours","conflicts":[...]}: keys in the manual page.
std::string ConflictJson(const std::vector<TMergeConflict>& conflicts, const TMergeInputs& inputs,
                         const std::string& file, TMergeSide kept);
