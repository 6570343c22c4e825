// The brush and the mouse tools: pencil and box paint while the left button
// is held, select and fill act on release.
//
// Pixel positions map to cells by division rounding toward zero, so -1..-15
// still hit column or row 0 and -16..-31 reach the border ring. Pointer
// coordinates are pinned to +-PointerLimit on entry: every cell beyond that
// lies outside the layers either way, and all arithmetic here stays in int.
//
// Pencil and box strokes paint every cell on the line between two pointer
// positions, however far apart the events come; Shift+click continues from
// the last cell the tool painted in this stage.
#include "editor/Main.h"

#include "editor/RandomGen.h"
#include "editor/ToolMode.h"
#include "stage/Palette.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int PointerLimit = 1 << 24;

int PinPointer(int value)
{
    return std::clamp(value, -PointerLimit, PointerLimit);
}

// a / n rounded to the nearest whole number, halves away from zero (n > 0).
std::int64_t RoundedShare(std::int64_t a, std::int64_t n)
{
    return a >= 0 ? (2 * a + n) / (2 * n) : -((-2 * a + n) / (2 * n));
}

// The cells of the straight line from `from` to `to`, both included, in
// order: each step moves one cell along the longer axis and the rounded share
// along the other (a whole-number DDA). Only the steps whose cell on the
// longer axis lies within `reach` (columns Left..Right - 1, rows Top..Bottom
// - 1) are taken, so a line to a pointer far off the display costs no more
// than one across the field.
template <class TVisit>
void ForEachLineCell(TPoint from, TPoint to, const TRect& reach, TVisit visit)
{
    const std::int64_t dx = std::int64_t{to.X} - from.X, dy = std::int64_t{to.Y} - from.Y;
    const std::int64_t steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) {
        visit(from);
        return;
    }
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const std::int64_t start = alongX ? from.X : from.Y;
    const std::int64_t low = alongX ? reach.Left : reach.Top;
    const std::int64_t high = (alongX ? reach.Right : reach.Bottom) - 1;
    const bool forward = (alongX ? dx : dy) > 0;
    const std::int64_t first = std::max<std::int64_t>(forward ? low - start : start - high, 0);
    const std::int64_t last = std::min(forward ? high - start : start - low, steps);
    for (std::int64_t i = first; i <= last; ++i)
        visit(TPoint{from.X + static_cast<int>(RoundedShare(i * dx, steps)),
                     from.Y + static_cast<int>(RoundedShare(i * dy, steps))});
}

// The field's cells and the border ring around them.
constexpr TRect LayerCells{-1, -1, FieldColumns + 1, FieldRows + 1};

bool InLayer(TPoint cell)
{
    return cell.X >= LayerCells.Left && cell.X < LayerCells.Right && cell.Y >= LayerCells.Top
           && cell.Y < LayerCells.Bottom;
}

TPoint CellAt(int x, int y)
{
    return TPoint{x / 16, y / 16};
}

// Remainder in 0..n-1 also for a negative value (cells of the ring left of or
// above the field).
int FloorMod(int value, int n)
{
    const int m = value % n;
    return m < 0 ? m + n : m;
}

}  // namespace

TBrush TMainForm::GetBrush()
{
    // The tool window only offers 0..19; anything else would read past the table.
    const int index = std::clamp(static_cast<int>(CurTile), 0, PaletteButtonCount - 1);
    TBrush brush;
    brush.First = PaletteTable[index];
    brush.Count = static_cast<std::int16_t>(std::min(PaletteTable[index + 1] - brush.First, 4));
    if (brush.First >= FirstFGCode)
        brush.Layer = FGLayer;
    else if (brush.First >= 0)
        brush.Layer = BGLayer;
    else
        brush.Layer = AllLayerDown ? FGLayer : BGLayer;
    // Painting FG with it hidden would be painting blind: press "All layer".
    if (brush.Layer == FGLayer && !AllLayerDown) {
        AllLayerDown = true;
        Host.SetAllLayerDown(true);
        tbShowAllClick();
    }
    return brush;
}

// The press cell gets the first variant; the variant steps by one with each
// diagonal line away from it.
void TMainForm::PaintCell(TPoint cell)
{
    const TBrush brush = GetBrush();
    const int pc = DownPos.X / 16;
    const int pr = DownPos.Y / 16;
    const int value = brush.First + std::abs((pc + pr) - (cell.X + cell.Y)) % brush.Count;
    brush.Layer->SetCell(cell.X + 1, cell.Y + 1, value);
}

// MousePos - (4, 4) rounded down (not toward zero) to multiples of 16.
TPoint TMainForm::BoxTopLeft() const
{
    return TPoint{(PinPointer(MousePos.X) - 4) & ~15, (PinPointer(MousePos.Y) - 4) & ~15};
}

// The pencil at the pointer, unclamped; the box at MousePos (the box's press
// paints at the last MousePos, not at the press point).
TPoint TMainForm::StrokeCellAt(int x, int y) const
{
    if (ToolMode != TToolMode::Box)
        return CellAt(x, y);
    const TPoint at = BoxTopLeft();
    return CellAt(at.X, at.Y);
}

void TMainForm::PaintBlock(TPoint cell)
{
    PaintCell(cell);
    PaintCell(TPoint{cell.X + 1, cell.Y});
    PaintCell(TPoint{cell.X, cell.Y + 1});
    PaintCell(TPoint{cell.X + 1, cell.Y + 1});
}

void TMainForm::PaintLine(TPoint from, TPoint to)
{
    const TToolMode tool = ToolMode;
    ForEachLineCell(from, to, LayerCells, [&](TPoint cell) {
        if (tool == TToolMode::Box)
            PaintBlock(cell);
        else
            PaintCell(cell);
        if (InLayer(cell))
            FLineAnchor = TLineAnchor{tool, cell};
    });
    FStrokeCell = to;
}

void TMainForm::SetToolMode(TToolMode tool)
{
    if (tool != ToolMode)
        FLineAnchor.reset();
    ToolMode = tool;
}

void TMainForm::DXDrawMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    x = PinPointer(x);
    y = PinPointer(y);
    FPointer = TPoint{x, y};
    FPointerOnDisplay = true;
    if (button != TMouseButton::mbLeft)
        return;
    DownPos = TPoint{x, y};
    FStrokeCell.reset();
    const TToolMode tool = ToolMode;
    if (tool != TToolMode::Pencil && tool != TToolMode::Box)
        return;
    if (x < 0 || y < 0)
        return;
    PushHistory();  // one snapshot for the whole stroke
    const TPoint cell = StrokeCellAt(x, y);
    const bool line = (shift & ssShift) && FLineAnchor && FLineAnchor->Tool == tool;
    PaintLine(line ? FLineAnchor->Cell : cell, cell);
}

void TMainForm::DXDrawMouseMove(TShiftState /*shift*/, int x, int y)
{
    FPointerMoved = true;
    x = PinPointer(x);
    y = PinPointer(y);
    FPointer = TPoint{x, y};
    FPointerOnDisplay = true;
    MousePos = TPoint{x, y};
    const TToolMode tool = ToolMode;
    // Keeps the box's 2 x 2 block inside the field.
    if (tool == TToolMode::Box)
        MousePos = TPoint{std::clamp(x, 8, 615), std::clamp(y, 8, 455)};
    if ((tool == TToolMode::Pencil || tool == TToolMode::Box) && DownPos.X >= 0 && DownPos.Y >= 0) {
        const TPoint cell = StrokeCellAt(x, y);
        PaintLine(FStrokeCell.value_or(cell), cell);
    }
}

void TMainForm::DXDrawMouseLeave()
{
    FPointerOnDisplay = false;
    FPointerMoved = true;
}

// Any button's release ends the drag.
void TMainForm::DXDrawMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int x, int y)
{
    x = PinPointer(x);
    y = PinPointer(y);
    MousePos = TPoint{x, y};
    FPointer = MousePos;
    FStrokeCell.reset();
    const int pc = DownPos.X / 16;
    const int pr = DownPos.Y / 16;
    const int qc = x / 16;
    const int qr = y / 16;
    const TToolMode tool = ToolMode;
    if (tool == TToolMode::Fill && DownPos.X >= 0 && DownPos.Y >= 0) {
        const TBrush brush = GetBrush();
        PushHistory();
        int k = static_cast<int>(Random(static_cast<std::uint32_t>(brush.Count)));
        // Only the layer's columns and rows can take a write.
        const int top = std::max(std::min(pr, qr), -1);
        const int bottom = std::min(std::max(pr, qr), FieldRows);
        const int left = std::max(std::min(pc, qc), -1);
        const int right = std::min(std::max(pc, qc), FieldColumns);
        const bool scattered = IsScatteredGroup(brush.First);
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c) {
                // Palettes 14..17 give each cell one of three variants at
                // random; the others lay diagonal stripes from a random phase.
                if (scattered)
                    k = static_cast<int>(Random(3));
                brush.Layer->SetCell(c + 1, r + 1, brush.First + FloorMod(k + c + r, brush.Count));
            }
    } else if (tool == TToolMode::Select) {
        // Without a press DownPos is (-1, -1), whose cell counts as (0, 0).
        SelRect =
            TRect{std::min(pc, qc) * 16, std::min(pr, qr) * 16, std::max(pc, qc) * 16 + 16, std::max(pr, qr) * 16 + 16};
    }
    DownPos = TPoint{-1, -1};
}
