#include "storage/RecordMerge.h"

#include <cstring>

namespace {

// One unit of a record (a cell's two codes, or a field) merged: the side
// that changed it, or, when both changed it differently, the preferred side
// and true.
template <typename TEqual>
bool MergeUnit(const TEqual& equal, TSideIndex prefer, TSideIndex& taken)
{
    if (equal(OursSide, TheirsSide) || equal(BaseSide, TheirsSide)) {
        taken = OursSide;
        return false;
    }
    if (equal(BaseSide, OursSide)) {
        taken = TheirsSide;
        return false;
    }
    taken = prefer;
    return true;
}

}  // namespace

void MergeRecord(const StageRecord& base, const StageRecord& ours, const StageRecord& theirs, TMergeSide prefer,
                 StageRecord& result, std::vector<TMergeConflict>& conflicts, const TMergeConflict& where)
{
    const StageRecord* sides[3] = {&base, &ours, &theirs};
    const TSideIndex preferred = prefer == TMergeSide::Ours ? OursSide : TheirsSide;
    if (RecordsEqual(ours, theirs) || RecordsEqual(base, theirs) || RecordsEqual(base, ours)) {
        result = RecordsEqual(base, ours) ? theirs : ours;
        return;
    }
    StageRecord merged = ours;
    for (const TRecordField& field : RecordFields()) {
        TSideIndex taken = OursSide;
        const bool conflict = MergeUnit(
            [&](TSideIndex a, TSideIndex b) { return FieldBytes(*sides[a], field) == FieldBytes(*sides[b], field); },
            preferred, taken);
        std::memcpy(reinterpret_cast<char*>(&merged) + field.Offset,
                    reinterpret_cast<const char*>(sides[taken]) + field.Offset, field.Size);
        if (conflict) {
            conflicts.push_back(where);
            conflicts.back().Kind = TMergeConflict::TKind::Field;
            conflicts.back().Field = &field;
        }
    }
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            TSideIndex taken = OursSide;
            const bool conflict = MergeUnit(
                [&](TSideIndex a, TSideIndex b) {
                    return sides[a]->BG[x][y] == sides[b]->BG[x][y] && sides[a]->FG[x][y] == sides[b]->FG[x][y];
                },
                preferred, taken);
            merged.BG[x][y] = sides[taken]->BG[x][y];
            merged.FG[x][y] = sides[taken]->FG[x][y];
            if (conflict) {
                conflicts.push_back(where);
                conflicts.back().Kind = TMergeConflict::TKind::Cell;
                conflicts.back().Column = x;
                conflicts.back().Row = y;
            }
        }
    result = merged;
}
