// The brush and the mouse tools: pencil and box paint while the left button
// is held, select and fill act on release.
//
// Pixel positions map to cells by division rounding toward zero, so -1..-15
// still hit column or row 0 and -16..-31 reach the border ring. Pointer
// coordinates are pinned to +-PointerLimit on entry: every cell beyond that
// lies outside the layers either way, and all arithmetic here stays in int.
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
void TMainForm::PaintCell(int x, int y)
{
    const TBrush brush = GetBrush();
    const int pc = DownPos.X / 16;
    const int pr = DownPos.Y / 16;
    const int c = PinPointer(x) / 16;
    const int r = PinPointer(y) / 16;
    const int value = brush.First + std::abs((pc + pr) - (c + r)) % brush.Count;
    brush.Layer->SetCell(c + 1, r + 1, value);
}

// MousePos - (4, 4) rounded down (not toward zero) to multiples of 16.
TPoint TMainForm::BoxTopLeft() const
{
    return TPoint{(PinPointer(MousePos.X) - 4) & ~15, (PinPointer(MousePos.Y) - 4) & ~15};
}

void TMainForm::PaintBlock()
{
    const TPoint at = BoxTopLeft();
    PaintCell(at.X, at.Y);
    PaintCell(at.X + 16, at.Y);
    PaintCell(at.X, at.Y + 16);
    PaintCell(at.X + 16, at.Y + 16);
}

void TMainForm::DXDrawMouseDown(TMouseButton button, TShiftState /*shift*/, int x, int y)
{
    if (button != TMouseButton::mbLeft)
        return;
    x = PinPointer(x);
    y = PinPointer(y);
    DownPos = TPoint{x, y};
    const TToolMode tool = ToolMode;
    if (tool != TToolMode::Pencil && tool != TToolMode::Box)
        return;
    if (x < 0 || y < 0)
        return;
    PushHistory();  // one snapshot for the whole stroke
    if (tool == TToolMode::Pencil)
        PaintCell(x, y);
    else
        PaintBlock();  // at the last MousePos, not at the press point
}

void TMainForm::DXDrawMouseMove(TShiftState /*shift*/, int x, int y)
{
    FPointerMoved = true;
    x = PinPointer(x);
    y = PinPointer(y);
    MousePos = TPoint{x, y};
    const TToolMode tool = ToolMode;
    // Keeps the box's 2 x 2 block inside the field.
    if (tool == TToolMode::Box)
        MousePos = TPoint{std::clamp(x, 8, 615), std::clamp(y, 8, 455)};
    if ((tool == TToolMode::Pencil || tool == TToolMode::Box) && DownPos.X >= 0 && DownPos.Y >= 0) {
        if (tool == TToolMode::Pencil)
            PaintCell(x, y);
        else
            PaintBlock();
    }
}

// Any button's release ends the drag.
void TMainForm::DXDrawMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int x, int y)
{
    x = PinPointer(x);
    y = PinPointer(y);
    MousePos = TPoint{x, y};
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
