#include "storage/RecordDiff.h"

void DiffCells(const StageRecord& before, const StageRecord& after, std::vector<TCellChange>& cells)
{
    cells.clear();
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x)
            if (before.BG[x][y] != after.BG[x][y] || before.FG[x][y] != after.FG[x][y])
                cells.push_back({x, y, before.BG[x][y], before.FG[x][y], after.BG[x][y], after.FG[x][y]});
}

TRecordDiff DiffRecords(const StageRecord& before, const StageRecord& after)
{
    TRecordDiff diff;
    for (const TRecordField& field : RecordFields())
        if (FieldBytes(before, field) != FieldBytes(after, field))
            diff.Fields.push_back(&field);
    DiffCells(before, after, diff.Cells);
    for (const TCellChange& cell : diff.Cells) {
        diff.BGCells += cell.OldBG != cell.NewBG;
        diff.FGCells += cell.OldFG != cell.NewFG;
    }
    return diff;
}
