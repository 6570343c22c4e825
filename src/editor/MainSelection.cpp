// The selection and its clip buffer. SelRect is in pixels; its cell range is
// L = Left div 16, T = Top div 16, R = Right div 16 - 1, B = Bottom div 16 - 1.
// Cells of the range outside the field read as -1; clear and paste write
// BorderCode there (lost beyond the ring). Loops skip cells beyond the ring,
// where every write is ignored, so a selection of any size costs at most the
// layer's size.
#include "editor/Main.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::int64_t SelectionLimit = std::int64_t{1} << 28;

struct TCellRange {
    int L, T, R, B;
};

TCellRange CellRange(const TRect& rect)
{
    return TCellRange{rect.Left / 16, rect.Top / 16, rect.Right / 16 - 1, rect.Bottom / 16 - 1};
}

bool InsideField(int c, int r)
{
    return c >= 0 && c < FieldColumns && r >= 0 && r < FieldRows;
}

// Calls visit(k) for every k in 0..half-1 whose first or second cell lies in
// the layer's span first..last: the pair (low + k, high - k).
template <typename Visit>
void ForEachMirrorPair(int low, int high, int first, int last, Visit visit)
{
    const int half = (high - low + 1) / 2;
    const int a1 = std::max(0, first - low);
    const int b1 = std::min(half - 1, last - low);
    const int a2 = std::max(0, high - last);
    const int b2 = std::min(half - 1, high - first);
    for (int k = a1; k <= b1; ++k)
        visit(k);
    for (int k = a2; k <= b2; ++k)
        if (k < a1 || k > b1)
            visit(k);
}

}  // namespace

void TMainForm::ReadFieldPair(int column, int row, int& bg, int& fg) const
{
    if (InsideField(column, row)) {
        bg = BGLayer->Cell(column + 1, row + 1);
        fg = FGLayer->Cell(column + 1, row + 1);
    } else {
        bg = EmptyCode;
        fg = EmptyCode;
    }
}

void TMainForm::WriteFieldPair(int column, int row, int bg, int fg)
{
    BGLayer->SetCell(column + 1, row + 1, bg);
    FGLayer->SetCell(column + 1, row + 1, fg);
}

void TMainForm::ClearSelection()
{
    const TCellRange s = CellRange(SelRect);
    for (int r = std::max(s.T, -1); r <= std::min(s.B, FieldRows); ++r)
        for (int c = std::max(s.L, -1); c <= std::min(s.R, FieldColumns); ++c) {
            const int code = InsideField(c, r) ? EmptyCode : BorderCode;
            WriteFieldPair(c, r, code, code);
        }
}

// The clip buffer holds 40 x 30 cells: a larger selection copies its top-left
// 40 x 30 cells.
void TMainForm::CopySelection()
{
    const TCellRange s = CellRange(SelRect);
    ClipWidth = std::clamp(s.R - s.L + 1, 0, FieldColumns);
    ClipHeight = std::clamp(s.B - s.T + 1, 0, FieldRows);
    for (int r = s.T; r < s.T + ClipHeight; ++r)
        for (int c = s.L; c < s.L + ClipWidth; ++c) {
            int bg, fg;
            ReadFieldPair(c, r, bg, fg);
            ClipBG[c - s.L][r - s.T] = static_cast<std::int16_t>(bg);
            ClipFG[c - s.L][r - s.T] = static_cast<std::int16_t>(fg);
        }
}

// Anchored at the selection's top-left cell and clipped to the selection.
void TMainForm::PasteSelection()
{
    const TCellRange s = CellRange(SelRect);
    const int width = std::clamp(ClipWidth, 0, FieldColumns);
    const int height = std::clamp(ClipHeight, 0, FieldRows);
    const int bottom = std::min(s.T + height - 1, s.B);
    const int right = std::min(s.L + width - 1, s.R);
    for (int r = s.T; r <= bottom; ++r)
        for (int c = s.L; c <= right; ++c) {
            if (InsideField(c, r))
                WriteFieldPair(c, r, ClipBG[c - s.L][r - s.T], ClipFG[c - s.L][r - s.T]);
            else
                WriteFieldPair(c, r, BorderCode, BorderCode);
        }
}

// No clamp at the field: the selection may leave it entirely. The far limit
// only keeps the pixel arithmetic inside int.
void TMainForm::MoveSelection(int dx, int dy)
{
    const auto shift = [](int value, int cells) {
        const std::int64_t moved = std::int64_t{value} + std::int64_t{16} * cells;
        return static_cast<int>(std::clamp(moved, -SelectionLimit, SelectionLimit));
    };
    SelRect.Left = shift(SelRect.Left, dx);
    SelRect.Right = shift(SelRect.Right, dx);
    SelRect.Top = shift(SelRect.Top, dy);
    SelRect.Bottom = shift(SelRect.Bottom, dy);
}

void TMainForm::MirrorSelectionH()
{
    const TCellRange s = CellRange(SelRect);
    if (s.R - s.L <= 0)
        return;
    PushHistory();
    for (int r = std::max(s.T, -1); r <= std::min(s.B, FieldRows); ++r)
        ForEachMirrorPair(s.L, s.R, -1, FieldColumns, [&](int k) {
            int bgLeft, fgLeft, bgRight, fgRight;
            ReadFieldPair(s.L + k, r, bgLeft, fgLeft);
            ReadFieldPair(s.R - k, r, bgRight, fgRight);
            WriteFieldPair(s.L + k, r, bgRight, fgRight);
            WriteFieldPair(s.R - k, r, bgLeft, fgLeft);
        });
}

void TMainForm::MirrorSelectionV()
{
    const TCellRange s = CellRange(SelRect);
    if (s.B - s.T <= 0)
        return;
    PushHistory();
    ForEachMirrorPair(s.T, s.B, -1, FieldRows, [&](int k) {
        for (int c = std::max(s.L, -1); c <= std::min(s.R, FieldColumns); ++c) {
            int bgTop, fgTop, bgBottom, fgBottom;
            ReadFieldPair(c, s.T + k, bgTop, fgTop);
            ReadFieldPair(c, s.B - k, bgBottom, fgBottom);
            WriteFieldPair(c, s.T + k, bgBottom, fgBottom);
            WriteFieldPair(c, s.B - k, bgTop, fgTop);
        }
    });
}
