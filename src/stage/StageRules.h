#pragma once
// The stage's own rules, applied: which codes may share a cell, the shadows
// the FG objects cast, and the record the editor holds once it has applied a
// stored one. The editor's layer change handlers call these same functions
// on its live layers, so the command line and every file format get the
// editor's stage from a record without running an editor.
//
// A record's cells are field cells: column 0..39, row 0..29. The editor's
// layers hold the field one cell in from their edges (its ring); a record
// has no ring, and the code of its cells around the field is BorderCode.

#include "stage/StageRecord.h"
#include "stage/TileCodes.h"

#include <cstdint>

enum class TStageLayer : std::uint8_t { BG, FG };

// The exclusion rule, after `written` changed in a cell: a BG code 4..7 and
// an FG code 24..63 never stay together; the layer written last keeps its
// code and the other one is emptied. `code(layer)` reads the cell's code in
// a layer (the FG code only when the BG code is exclusive, which is rare, so
// that the rule costs one read per write); `empty(layer)` empties it.
template <class TCode, class TEmpty>
constexpr void KeepApart(TStageLayer written, const TCode& code, const TEmpty& empty)
{
    if (IsExclusiveBG(code(TStageLayer::BG)) && IsExclusiveFG(code(TStageLayer::FG)))
        empty(written == TStageLayer::BG ? TStageLayer::FG : TStageLayer::BG);
}

// Writes `code` into field cell (x, y) of `layer` as the editor's notifying
// write does: nothing happens when the cell holds the code already;
// otherwise the code goes in and KeepApart decides what stays. A cell
// outside the field is left alone, as the editor's ring is not stored.
void WriteCell(StageRecord& record, TStageLayer layer, int x, int y, std::int16_t code);

// The FG code of a record's cell, BorderCode around the field (and -1
// further out, as a layer reads there).
int FGCodeAround(const StageRecord& record, int x, int y);

// The shadow pattern (16..23, or -1) that falls on the cell (x, y) of an FG
// layer, from the codes `fg(x, y)` reads there and above, to the left and
// above-left of it (in the layer's own coordinates; for a record's field,
// FGCodeAround reads them).
template <class TFGCode>
constexpr int ShadowAt(const TFGCode& fg, int x, int y)
{
    return ShadowPatternOfCodes(fg(x, y), fg(x, y - 1), fg(x - 1, y), fg(x - 1, y - 1));
}

// What a change of the FG cell (x, y) does to the shadows: ShadowAt of that
// cell and of its neighbours to the right, below and below-right, in that
// order, each given to put(x, y, pattern), reading the nine cells around
// once. A cell handed to put may lie beyond the caller's shadow grid; the
// caller drops it. The accessors are small and taken by value, so that they
// live in registers: this runs for every FG cell a load or an undo changes.
template <class TFGCode, class TPutShadow>
void RefreshShadowsAround(TFGCode fg, int x, int y, TPutShadow put)
{
    std::uint8_t sets[3][3];  // [row][column] from (x - 1, y - 1)
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            sets[r][k] = ShadowSetsOf(fg(x - 1 + k, y - 1 + r));
    for (int r = 1; r < 3; ++r)
        for (int k = 1; k < 3; ++k)
            put(x - 1 + k, y - 1 + r, ShadowPattern(sets[r][k], sets[r - 1][k], sets[r][k - 1], sets[r - 1][k - 1]));
}

// The shadow layer the editor shows for `record`'s FG cells, column-major
// like the record's cells.
using TShadowCells = std::int16_t[FieldColumns][FieldRows];
void ComputeShadows(const StageRecord& record, TShadowCells& shadows);

// The record the editor holds once it has applied `record` (what it
// captures and saves then): every cell written as loading writes it, row by
// row, BG before FG in each cell, so a cell holding both exclusive codes
// keeps the FG code and an empty BG; the settings as stored, all 32
// EnemyCount slots too; the reserved bytes and the bytes past each string's
// end zero, and a string's length byte above 63 cut to 63.
StageRecord AppliedStage(const StageRecord& record);
