#pragma once
// Which stage of one list of records is which stage of another (two stage
// files, or two versions of one): the diff, the merge and the compare view
// all pair stages this way, so a stage that moved is one move and never two
// changed stages.
//
// Byte-identical non-empty records pair first, at the same number where
// they can, else at the nearest; the rest pair by number. An empty stage
// (byte-equal to the empty record) never pairs with a non-empty one: a
// stage that became empty was removed, one that filled an empty number was
// added. A stage that moved and was edited has nothing to be known by, so
// it pairs as an edit of whatever stage its new number held.

#include "stage/StageRecord.h"

#include <vector>

struct TStagePairing {
    std::vector<int> BOfA;  // for each record of A: its partner in B, or -1
    std::vector<int> AOfB;  // for each record of B: its partner in A, or -1
    // For each non-empty record of B with no identical partner: a record
    // of A with the same bytes (the stage it is a copy of), or -1.
    std::vector<int> CopyOf;
};

TStagePairing PairStages(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b);

enum class TStageChangeKind {
    Moved,    // an identical stage at another number
    Changed,  // paired, not identical (always at one number)
    Added,    // a non-empty stage of B with no partner
    Removed,  // a non-empty stage of A with no partner
};
// "moved", "changed", "added" or "removed", as reports and marks say it.
const char* StageChangeName(TStageChangeKind kind);

struct TStageChange {
    TStageChangeKind Kind = TStageChangeKind::Changed;
    int A = -1;  // its number in A, -1 for an added stage
    int B = -1;  // its number in B, -1 for a removed stage
    bool operator==(const TStageChange&) const = default;
};

// What differs as `pairing` pairs `a` with `b`: the stages of B in B's
// order, then the removed ones in A's order. Stages that kept their number
// and bytes, and empty stages with no partner, are not listed.
std::vector<TStageChange> StageChanges(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b,
                                       const TStagePairing& pairing);
