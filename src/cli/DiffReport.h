#pragma once
// stagetool diff's report: what changed between two stage files, stage by
// stage in the second file's order, as text for people or one JSON document.

#include "stage/StageRecord.h"
#include "storage/StagePairing.h"

#include <string>
#include <vector>

struct TStageSetDiff {
    const std::vector<StageRecord>& A;
    const std::vector<StageRecord>& B;
    TStagePairing Pairing;
    std::vector<TStageChange> Changes;

    TStageSetDiff(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b);
    // The files' lengths differ or a stage changed.
    bool Differs() const { return !Changes.empty() || A.size() != B.size(); }
};

// Nothing when the files are the same. Else a line for a changed length
// ("records: 50 → 100"), then one block per stage: its header ("stage 03
// "caption"", "stage 07 was stage 05 ...", "stage 12 added ...", "removed:
// was stage 08 ..."), and for a changed stage each changed setting as "old →
// new" (reserved bytes, slots 16..31 and string tails too), the cell counts
// per layer and the cells ("12,5: BG 0 grass → 4 water, FG -1 empty"), a
// run of cells in a row that changed alike as one line ("3..10,7: ...").
std::string DiffText(const TStageSetDiff& diff);

// The same as one JSON document (keys in the manual page).
std::string DiffJson(const TStageSetDiff& diff, const std::string& nameA, const std::string& nameB);
