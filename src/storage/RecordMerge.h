#pragma once
// Three-way merge of one stage: cell by cell and setting by setting, a
// conflict keeping one side's value and listed.

#include "stage/StageRecord.h"
#include "storage/RecordFields.h"

#include <vector>

enum class TMergeSide { Ours, Theirs };
// The three sides as indexes, in the order From and To list them.
enum TSideIndex { BaseSide = 0, OursSide = 1, TheirsSide = 2 };

struct TMergeConflict {
    enum class TKind {
        Cell,   // a cell's BG and FG changed differently on both sides
        Field,  // a setting changed differently on both sides
        Stage,  // a stage changed or moved on one side and removed, or moved elsewhere, on the other
        Order,  // both sides changed the order of one stretch of stages differently
    };
    TKind Kind = TKind::Cell;
    // Its number in the result (for Order, where the stretch starts); -1
    // when the result does not hold it.
    int Stage = -1;
    // Cell, Field and Stage: the stage's number in the base, ours and
    // theirs, -1 where that side has none. Cell and Field conflicts have
    // all three.
    int Base = -1;
    int Ours = -1;
    int Theirs = -1;
    int Column = -1;  // Cell
    int Row = -1;
    const TRecordField* Field = nullptr;  // Field
    // Order: the stretch in the base, ours and theirs, as [From, To) of
    // each side's numbers.
    int From[3] = {-1, -1, -1};
    int To[3] = {-1, -1, -1};
};

// Merges one stage paired on both sides into `result`. Each cell (its BG and
// FG codes as one, so the exclusion rule holds whichever side a cell comes
// from) and each field of RecordFields(): changed on one side, it takes the
// change; alike on both, once; differently, `prefer`'s value and a conflict
// appended to `conflicts`, a copy of `where` with its cell or field.
void MergeRecord(const StageRecord& base, const StageRecord& ours, const StageRecord& theirs, TMergeSide prefer,
                 StageRecord& result, std::vector<TMergeConflict>& conflicts, const TMergeConflict& where);
