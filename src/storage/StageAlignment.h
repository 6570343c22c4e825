#pragma once
// A stage set as the order merge sees it (StageMerge): each stage a token
// (the empty stage, a stage of the base, or one new on its side), and each
// side's tokens aligned with the base's as a diff aligns lines.

#include "stage/StageRecord.h"
#include "storage/StagePairing.h"

#include <cstddef>
#include <vector>

// What a stage is to the order merge: the empty stage (all alike), a stage
// of the base (by its number), or one that only its side has (by its number
// there).
struct TToken {
    enum class TKind { Empty, Base, New } Kind = TKind::Empty;
    int Index = -1;
};

// One side (ours or theirs) made from the base.
struct TSideTokens {
    const std::vector<StageRecord>* Records = nullptr;
    TStagePairing Pairing;       // base -> this side
    std::vector<TToken> Tokens;  // its stages up to the last non-empty one
    std::vector<int> Match;      // for each base token: the token of this side aligned with it, or -1
    std::vector<bool> Has;       // for each base stage: the side holds it somewhere

    const StageRecord& Record(int number) const { return (*Records)[static_cast<std::size_t>(number)]; }
};

// The length of `records` without the empty stages at its end: padding,
// which any number of inserts and deletes shifts.
std::size_t ContentLength(const std::vector<StageRecord>& records);

// The base's tokens: Empty or Base, up to its ContentLength.
std::vector<TToken> BaseTokens(const std::vector<StageRecord>& base);

// A side's tokens, paired with the base (PairStages); Match is left empty.
TSideTokens MakeSideTokens(const std::vector<StageRecord>& base, const std::vector<StageRecord>& records);

// Both empty, or the same stage of the base.
bool SameInBase(const TToken& a, const TToken& b);

// Fills side.Match: the base's tokens aligned with the side's as the
// longest common subsequence, a stage of the base counting far more than an
// empty one, so that stages stay put and only interchangeable empty stages
// give way.
void Align(const std::vector<TToken>& base, TSideTokens& side);
