#pragma once
// Where two records of one stage differ: the cells and the settings. The
// compare view calls DiffCells as the designer paints, so it allocates
// nothing once its list has the room.

#include "stage/StageRecord.h"
#include "storage/RecordFields.h"

#include <cstdint>
#include <vector>

// A field cell whose BG or FG code (or both) differs: the codes before (in
// the first record) and after (in the second).
struct TCellChange {
    int Column = 0;
    int Row = 0;
    std::int16_t OldBG = EmptyCode;
    std::int16_t OldFG = EmptyCode;
    std::int16_t NewBG = EmptyCode;
    std::int16_t NewFG = EmptyCode;

    bool operator==(const TCellChange&) const = default;
};

// The cells where `before` and `after` differ, row by row and left to
// right within a row, into `cells` (cleared first).
void DiffCells(const StageRecord& before, const StageRecord& after, std::vector<TCellChange>& cells);

struct TRecordDiff {
    std::vector<const TRecordField*> Fields;  // whose bytes differ, in record order
    std::vector<TCellChange> Cells;
    int BGCells = 0;  // cells whose BG code differs
    int FGCells = 0;

    bool Empty() const { return Fields.empty() && Cells.empty(); }
};

TRecordDiff DiffRecords(const StageRecord& before, const StageRecord& after);
