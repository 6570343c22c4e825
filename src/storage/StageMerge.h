#pragma once
// Three-way merge of stage sets, as a version-control merge needs it: the
// stages of both sides are paired with the base's (PairStages), the order
// merges as diff3 merges lines over those pairs, and each stage paired on
// both sides merges cell by cell and setting by setting. Whatever happens,
// the result is a list of valid records: a conflict keeps one side's value
// and is listed.

#include "stage/StageRecord.h"
#include "storage/RecordFields.h"

#include <string>
#include <vector>

enum class TMergeSide { Ours, Theirs };

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

struct TStageMerge {
    std::vector<StageRecord> Records;
    std::vector<TMergeConflict> Conflicts;  // in the order of the result
    std::string Error;                      // the result would hold more than MaxRecords: nothing else is set
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
