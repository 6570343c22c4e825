#pragma once
// Putting the stages of a stage file in order: each operation as what the
// new list of records is, given the old one. The window and the command line
// share these, so an operation means the same wherever it is given.
//
// Stage numbers run 0..99. A number past the end of the list grows it with
// empty records first, as a save does; no operation shrinks it. An operation
// that cannot be done says why and gives no records.

#include "stage/StageRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// "07": a stage number as the windows and messages show it, two digits at least.
std::string StageNumberText(std::int64_t number);

// The records after an operation, or why it is refused (Error; nothing else
// is set then).
struct TStageSetResult {
    std::vector<StageRecord> Records;
    // For each number after: the number whose record moved (or stayed) there,
    // or -1 where the record is new (an empty stage, a copy, a pasted one).
    std::vector<int> Source;
    std::string Error;
};

// An operation on the whole list of records.
using TStageSetEdit = std::function<TStageSetResult(const std::vector<StageRecord>& records)>;

// The `count` stages from `from` on are taken out and put back so that the
// first of them is at `to`; the stages between close the gap.
TStageSetResult MoveStages(const std::vector<StageRecord>& records, int from, int count, int to);

// Stage `to` + i becomes a copy of stage `from`[i] as it was before.
TStageSetResult CopyStages(const std::vector<StageRecord>& records, const std::vector<int>& from, int to);

TStageSetResult SwapStages(const std::vector<StageRecord>& records, int a, int b);

// An empty stage at `number`; the stages from there on move down by one, so
// the list grows by one. A list of 100 records or more loses its last
// record instead, which must be empty: otherwise it is refused.
TStageSetResult InsertStage(const std::vector<StageRecord>& records, int number);

// The stages named are removed, those after them move up, and as many empty
// stages come at the end: the list keeps its length.
TStageSetResult DeleteStages(const std::vector<StageRecord>& records, const std::vector<int>& numbers);

// Each stage named becomes an empty stage.
TStageSetResult ClearStages(const std::vector<StageRecord>& records, const std::vector<int>& numbers);

// `stages` go in order from stage `to` on.
TStageSetResult PutStages(const std::vector<StageRecord>& records, int to, const std::vector<StageRecord>& stages);
