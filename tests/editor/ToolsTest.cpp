// The brush, the mouse tools and the selection operations.
#include "editor/RandomGen.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace {

struct ToolsTest : ::testing::Test {
    TEditorFixture F;
    void SetUp() override { F.ApplyEmpty(); }
    void Use(TToolMode tool, int tile)
    {
        F.Form.ToolMode = tool;
        F.Form.CurTile = static_cast<std::int16_t>(tile);
    }
    // A select-tool drag between two cells.
    void Select(int c0, int r0, int c1, int r1)
    {
        Use(TToolMode::Select, F.Form.CurTile);
        F.Press(F.Px(c0), F.Px(r0));
        F.Release(F.Px(c1), F.Px(r1));
    }
};

}  // namespace

TEST_F(ToolsTest, BrushTableOfEveryPaletteButton)
{
    struct Case {
        int First, Count;
        bool Foreground;
    };
    const Case table[20] = {{-1, 1, false}, {0, 4, false}, {4, 4, false}, {8, 4, true},  {12, 4, true},
                            {24, 4, true},  {28, 2, true}, {30, 2, true}, {32, 2, true}, {34, 2, true},
                            {36, 1, true},  {37, 1, true}, {38, 1, true}, {39, 1, true}, {40, 4, true},
                            {44, 4, true},  {48, 4, true}, {52, 4, true}, {56, 4, true}, {60, 4, true}};
    for (int i = 0; i < 20; ++i) {
        F.Form.CurTile = static_cast<std::int16_t>(i);
        F.Form.AllLayerDown = F.Host.AllLayer = false;
        F.Form.FGLayer->Visible = false;
        F.Form.ShadowLayer->Visible = false;
        const TBrush brush = F.Form.GetBrush();
        EXPECT_EQ(brush.First, table[i].First) << i;
        EXPECT_EQ(brush.Count, table[i].Count) << i;
        EXPECT_EQ(brush.Layer, table[i].Foreground ? F.Form.FGLayer : F.Form.BGLayer) << i;
        // An FG brush presses "All layer" and shows FG and shadows.
        EXPECT_EQ(F.Host.AllLayer, table[i].Foreground) << i;
        EXPECT_EQ(F.Form.FGLayer->Visible, table[i].Foreground) << i;
        EXPECT_EQ(F.Form.ShadowLayer->Visible, table[i].Foreground) << i;
    }
    F.Form.CurTile = 0;
    F.Form.AllLayerDown = true;
    EXPECT_EQ(F.Form.GetBrush().Layer, F.Form.FGLayer);  // the eraser follows "All layer"
    F.Form.CurTile = 25;                                 // not a palette index: kept inside the table
    EXPECT_EQ(F.Form.GetBrush().First, 60);
}

TEST_F(ToolsTest, PencilStrokeStepsVariantsByDiagonalDistance)
{
    Use(TToolMode::Pencil, 1);  // BG 0..3
    F.Press(F.Px(5), F.Px(5));
    F.Move(F.Px(6), F.Px(5));
    F.Move(F.Px(7), F.Px(5));
    F.Move(F.Px(9), F.Px(5));
    F.Move(F.Px(3), F.Px(7));  // distance 0 again on the other diagonal side
    F.Release(F.Px(3), F.Px(7));
    EXPECT_EQ(F.BG(5, 5), 0);
    EXPECT_EQ(F.BG(6, 5), 1);
    EXPECT_EQ(F.BG(7, 5), 2);
    EXPECT_EQ(F.BG(9, 5), 0);
    EXPECT_EQ(F.BG(3, 7), 0);
    EXPECT_EQ(F.Form.History.Count(), 1);  // one snapshot for the stroke
    F.Move(F.Px(20), F.Px(20));            // after the release nothing paints
    EXPECT_EQ(F.BG(20, 20), -1);
}

TEST_F(ToolsTest, PressesThatDoNotPaint)
{
    Use(TToolMode::Pencil, 3);
    F.Form.DXDrawMouseDown(TMouseButton::mbRight, 0, F.Px(1), F.Px(1));
    F.Form.DXDrawMouseDown(TMouseButton::mbMiddle, 0, F.Px(1), F.Px(1));
    EXPECT_EQ(F.Form.DownPos, (TPoint{-1, -1}));
    F.Press(-1, 20);  // a press off the display starts no stroke
    F.Move(F.Px(2), F.Px(2));
    EXPECT_EQ(F.FG(1, 1), -1);
    EXPECT_EQ(F.FG(2, 2), -1);
    EXPECT_EQ(F.Form.History.Count(), 0);
}

// A stroke paints every cell on the line between two pointer events, each
// with the variant counted from the press cell; past the edges cells round
// toward zero and only the layers' cells take a write.
TEST_F(ToolsTest, StrokesPaintEveryCellBetweenPointerEvents)
{
    struct Cell {
        int Column, Row, Code;  // field cell; -1 is the border ring
    };
    struct Case {
        const char* Path;
        TToolMode Tool;
        int Tile;
        std::vector<TPoint> Points;  // the pointer hovers at the first, presses, moves on, releases at the last
        std::vector<Cell> Painted;
        int Written;  // cells of both layers written in all
    };
    const int p2 = F.Px(2), p4 = F.Px(4), p6 = F.Px(6);
    // clang-format off
    const Case cases[] = {
        {"one event", TToolMode::Pencil, 1, {{F.Px(5), F.Px(5)}}, {{5, 5, 0}}, 1},
        {"fast diagonal", TToolMode::Pencil, 1, {{p2, p2}, {p6, p4}},
         {{2, 2, 0}, {3, 3, 2}, {4, 3, 3}, {5, 4, 1}, {6, 4, 2}}, 5},
        {"two events across the field", TToolMode::Pencil, 1, {{p2, F.Px(10)}, {F.Px(30), F.Px(10)}},
         {{16, 10, 2}, {30, 10, 0}}, 29},
        {"across the left edge", TToolMode::Pencil, 1, {{F.Px(1), 8}, {-20, 8}}, {{0, 0, 1}, {-1, 0, 2}}, 3},
        {"back from far off", TToolMode::Pencil, 1, {{8, 8}, {INT_MIN, 8}, {F.Px(3), 8}}, {{-1, 0, 1}, {3, 0, 3}}, 5},
        {"to the far corner", TToolMode::Pencil, 1, {{8, 8}, {INT_MAX, INT_MAX}}, {{29, 29, 2}, {30, 30, 0}}, 31},
        {"box", TToolMode::Box, 10, {{40, 40}, {104, 40}}, {{2, 2, 36}, {7, 3, 36}, {8, 2, -1}}, 12},
    };
    // clang-format on
    for (const Case& c : cases) {
        F.ApplyEmpty();
        Use(c.Tool, c.Tile);
        F.Form.DXDrawMouseMove(0, c.Points.front().X, c.Points.front().Y);
        F.Press(c.Points.front().X, c.Points.front().Y);
        for (const TPoint& at : c.Points)
            F.Move(at.X, at.Y);
        F.Release(c.Points.back().X, c.Points.back().Y);
        TBackgroundSprite* layer = c.Tile >= 3 ? F.Form.FGLayer : F.Form.BGLayer;
        for (const Cell& cell : c.Painted)
            EXPECT_EQ(layer->Cell(cell.Column + 1, cell.Row + 1), cell.Code) << c.Path << " " << cell.Column;
        int written = 0;
        for (const TBackgroundSprite* l : {F.Form.BGLayer, F.Form.FGLayer})
            for (int y = 0; y < l->Rows(); ++y)
                for (int x = 0; x < l->Columns(); ++x)
                    written += l->Cell(x, y) != EmptyCode && l->Cell(x, y) != BorderCode;
        EXPECT_EQ(written, c.Written) << c.Path;
        EXPECT_EQ(F.Form.History.Count(), 1) << c.Path;  // one step for the stroke
        F.Form.ClearHistory();
    }
}

// Shift+click continues from the last cell the tool painted in this stage;
// without such a cell it is a plain click.
TEST_F(ToolsTest, ShiftClickDrawsALineFromTheLastCellPainted)
{
    const struct {
        const char* Between;
        std::function<void()> Do;
        bool Line;
    } cases[] = {
        {"nothing", [] {}, true},
        {"a change of brush", [&] { F.Form.CurTile = 2; }, true},
        {"an undo", [&] { F.Form.Undo(); }, false},
        {"a load", [&] { F.ApplyEmpty(); }, false},
        {"a change of tool",
         [&] {
             F.Form.SetToolMode(TToolMode::Select);
             F.Form.SetToolMode(TToolMode::Pencil);
         },
         false},
    };
    for (const auto& c : cases) {
        F.ApplyEmpty();
        F.Form.ClearHistory();
        Use(TToolMode::Pencil, 1);
        F.Press(F.Px(2), F.Px(2));
        F.Release(F.Px(2), F.Px(2));
        c.Do();
        F.Form.DXDrawMouseDown(TMouseButton::mbLeft, ssShift, F.Px(6), F.Px(2));
        F.Release(F.Px(6), F.Px(2));
        EXPECT_GE(F.BG(6, 2), 0) << c.Between;
        EXPECT_EQ(F.BG(4, 2) >= 0, c.Line) << c.Between;
        if (c.Line) {
            EXPECT_EQ(F.BG(3, 2) % 4, 3) << c.Between;  // variants counted from the clicked cell
            F.Form.Undo();                              // the line is one step
            EXPECT_EQ(F.BG(4, 2), -1) << c.Between;
            EXPECT_GE(F.BG(2, 2), 0) << c.Between;
        }
    }
}

TEST_F(ToolsTest, BoxPaintsTwoByTwoAndStaysInsideTheField)
{
    Use(TToolMode::Box, 10);  // FG 36
    F.Move(100, 50);
    F.Press(100, 50);
    F.Release(100, 50);
    EXPECT_EQ(F.FG(6, 2), 36);  // A = 96, B = 32
    EXPECT_EQ(F.FG(7, 3), 36);
    EXPECT_EQ(F.FG(8, 2), -1);
    const struct {
        int X, Y;
        int Column, Row;  // the last block's top-left cell
    } ends[] = {{639, 479, 38, 28}, {5000, -5000, 38, 0}, {INT_MIN, INT_MAX, 0, 28}};
    for (const auto& end : ends) {
        F.Form.ClearLayers();
        F.Move(0, 0);
        F.Press(0, 0);
        F.Move(end.X, end.Y);
        F.Release(end.X, end.Y);
        for (int r = 0; r < 32; ++r)
            for (int c = 0; c < 42; ++c)
                EXPECT_TRUE(F.Form.FGLayer->Cell(c, r) == -1 || (c >= 1 && c <= 40 && r >= 1 && r <= 30))
                    << c << "," << r;
        EXPECT_EQ(F.FG(end.Column, end.Row), 36) << end.X;
        EXPECT_EQ(F.FG(end.Column + 1, end.Row + 1), 36) << end.X;
    }
    F.Move(639, 479);
    EXPECT_EQ(F.Form.MousePos, (TPoint{615, 455}));
    F.Release(639, 479);  // the release itself is not clamped
    EXPECT_EQ(F.Form.MousePos, (TPoint{639, 479}));
}

TEST_F(ToolsTest, FillLaysStripesFromARandomPhase)
{
    Use(TToolMode::Fill, 2);  // BG 4..7
    F.Press(F.Px(0), F.Px(0));
    F.Move(F.Px(3), F.Px(0));
    EXPECT_EQ(F.BG(0, 0), -1);  // nothing until the release
    F.Release(F.Px(3), F.Px(0));
    const int first = F.BG(0, 0);
    ASSERT_GE(first, 4);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(F.BG(c, 0), 4 + (first - 4 + c) % 4);
    EXPECT_EQ(F.BG(4, 0), -1);
    EXPECT_EQ(F.Form.History.Count(), 1);

    Use(TToolMode::Fill, 10);     // one variant: the same code everywhere
    F.Press(F.Px(39), F.Px(29));  // the corners in either order
    F.Release(F.Px(30), F.Px(20));
    for (int r = 20; r <= 29; ++r)
        for (int c = 30; c <= 39; ++c)
            ASSERT_EQ(F.FG(c, r), 36);
}

TEST_F(ToolsTest, FillWithPalettesFourteenToSeventeenScattersThreeVariants)
{
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        RandomSeed = seed;
        Use(TToolMode::Fill, 14);  // FG 40..43
        F.Press(F.Px(0), F.Px(0));
        F.Release(F.Px(39), F.Px(29));
        int seen[4] = {};
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 40; ++c) {
                const int code = F.FG(c, r);
                ASSERT_GE(code, 40);
                ASSERT_LE(code, 43);
                ASSERT_NE(code, 40 + (c + r + 3) % 4) << c << "," << r;
                ++seen[(code - 40 - c - r + 400) % 4];
            }
        // Every one of the three phases turns up across 1200 cells.
        EXPECT_GT(seen[0], 0);
        EXPECT_GT(seen[1], 0);
        EXPECT_GT(seen[2], 0);
    }
}

TEST_F(ToolsTest, EraserClearsTheLayerThatAllLayerSelects)
{
    F.SetBG(2, 2, 1);
    F.SetFG(2, 2, 9);
    Use(TToolMode::Pencil, 0);
    F.Form.AllLayerDown = false;
    F.Press(F.Px(2), F.Px(2));
    F.Release(F.Px(2), F.Px(2));
    EXPECT_EQ(F.BG(2, 2), -1);
    EXPECT_EQ(F.FG(2, 2), 9);
    F.SetBG(2, 2, 1);
    F.Form.AllLayerDown = true;
    F.Press(F.Px(2), F.Px(2));
    F.Release(F.Px(2), F.Px(2));
    EXPECT_EQ(F.BG(2, 2), 1);
    EXPECT_EQ(F.FG(2, 2), -1);
}

TEST_F(ToolsTest, PaintingExclusiveCodesErasesTheOtherLayer)
{
    F.SetFG(4, 4, 40);
    Use(TToolMode::Pencil, 2);  // BG 4..7
    F.Press(F.Px(4), F.Px(4));
    F.Release(F.Px(4), F.Px(4));
    EXPECT_EQ(F.BG(4, 4), 4);
    EXPECT_EQ(F.FG(4, 4), -1);
    EXPECT_EQ(F.Shadow(4, 5), -1);  // the shadow went with the object
}

TEST_F(ToolsTest, ReleasesEndWhateverDragIsInProgress)
{
    // A right release with the select tool and no drag selects from cell (0, 0).
    Use(TToolMode::Select, 0);
    F.Form.DXDrawMouseUp(TMouseButton::mbRight, 0, F.Px(3), F.Px(2));
    EXPECT_EQ(F.Form.SelRect, (TRect{0, 0, 64, 48}));
    // With the fill tool, a right release while the left button is held fills.
    Use(TToolMode::Fill, 10);
    F.Press(F.Px(5), F.Px(5));
    F.Form.DXDrawMouseUp(TMouseButton::mbRight, 0, F.Px(6), F.Px(6));
    EXPECT_EQ(F.FG(6, 6), 36);
    EXPECT_EQ(F.Form.History.Count(), 1);
    F.Release(F.Px(8), F.Px(8));  // the later left release does nothing more
    EXPECT_EQ(F.FG(8, 8), -1);
    EXPECT_EQ(F.Form.History.Count(), 1);
    // A selection drag in either direction covers both cells.
    Select(9, 7, 2, 3);
    EXPECT_EQ(F.Form.SelRect, (TRect{32, 48, 160, 128}));
}

TEST_F(ToolsTest, ClearCopyAndPasteInsideTheField)
{
    F.SetBG(1, 1, 2);
    F.SetFG(2, 1, 9);
    F.SetFG(1, 2, 40);
    Select(1, 1, 2, 2);
    F.Form.CopySelection();
    EXPECT_EQ(F.Form.ClipWidth, 2);
    EXPECT_EQ(F.Form.ClipHeight, 2);
    F.Form.ClearSelection();
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            EXPECT_EQ(F.BG(c, r), -1);
            EXPECT_EQ(F.FG(c, r), -1);
        }
    // Pasted into a larger selection: anchored at its top-left, clipped to the copy.
    Select(10, 10, 15, 15);
    F.Form.PasteSelection();
    EXPECT_EQ(F.BG(10, 10), 2);
    EXPECT_EQ(F.FG(11, 10), 9);
    EXPECT_EQ(F.FG(10, 11), 40);
    EXPECT_EQ(F.FG(12, 10), -1);
    EXPECT_EQ(F.Shadow(10, 12), 19);
    // Pasted into a smaller one: clipped to the selection.
    Select(20, 20, 20, 20);
    F.Form.PasteSelection();
    EXPECT_EQ(F.BG(20, 20), 2);
    EXPECT_EQ(F.FG(21, 20), -1);
    EXPECT_EQ(F.FG(20, 21), -1);
}

TEST_F(ToolsTest, SelectionOverTheBorderReadsEmptyAndWritesTheBorderCode)
{
    F.SetFG(0, 0, 9);
    F.Form.SelRect = TRect{0, 0, 32, 32};
    F.Form.MoveSelection(-1, -1);  // covers ring cells and field cell (0, 0)
    EXPECT_EQ(F.Form.SelRect, (TRect{-16, -16, 16, 16}));
    F.Form.CopySelection();
    EXPECT_EQ(F.Form.ClipFG[0][0], -1);
    EXPECT_EQ(F.Form.ClipFG[1][1], 9);
    F.Form.ClearSelection();
    EXPECT_EQ(F.Form.FGLayer->Cell(0, 0), BorderCode);
    EXPECT_EQ(F.Form.BGLayer->Cell(1, 0), BorderCode);
    EXPECT_EQ(F.FG(0, 0), -1);
    F.Form.ClearLayers();
    F.Form.PasteSelection();
    EXPECT_EQ(F.Form.FGLayer->Cell(0, 1), BorderCode);
    EXPECT_EQ(F.FG(0, 0), 9);
    // A selection wholly off the field: no clamp, nothing inside is touched.
    F.Form.MoveSelection(-100, 0);
    F.Form.ClearSelection();
    EXPECT_EQ(F.FG(0, 0), 9);
}

TEST_F(ToolsTest, PasteWithAnEmptyClipBufferWritesNothing)
{
    F.SetFG(0, 0, 9);
    F.Form.PasteSelection();
    EXPECT_EQ(F.FG(0, 0), 9);
}

TEST_F(ToolsTest, TheClipBufferHoldsAtMostFortyByThirty)
{
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 30; ++r)
            F.SetBG(c, r, (c + r) % 4);
    // A drag from beyond the top-left to beyond the bottom-right edge.
    Use(TToolMode::Select, 0);
    F.Press(-40, -40);
    F.Release(700, 600);
    EXPECT_GT(F.Form.SelRect.Width() / 16, 40);
    F.Form.CopySelection();
    EXPECT_EQ(F.Form.ClipWidth, 40);
    EXPECT_EQ(F.Form.ClipHeight, 30);
    // The top-left 40 x 30 of the selection: cell (i, j) is field (i - 2, j - 2).
    EXPECT_EQ(F.Form.ClipBG[1][5], -1);
    EXPECT_EQ(F.Form.ClipBG[2][2], 0);
    EXPECT_EQ(F.Form.ClipBG[39][29], (37 + 27) % 4);
    F.Form.SelRect = TRect{0, 0, 800, 800};
    F.Form.PasteSelection();
    EXPECT_EQ(F.BG(0, 0), -1);
    EXPECT_EQ(F.BG(2, 2), 0);
    EXPECT_EQ(F.BG(39, 29), (37 + 27) % 4);
    // Out-of-range values in the clip fields are never used as sizes.
    F.Form.ClipWidth = 1000;
    F.Form.ClipHeight = -5;
    F.Form.PasteSelection();
    F.Form.ClipHeight = 1000;
    F.Form.PasteSelection();
}

TEST_F(ToolsTest, MirrorsSwapCellsAroundTheMiddle)
{
    F.SetBG(1, 1, 1);
    F.SetFG(3, 1, 40);
    F.SetFG(2, 1, 9);
    Select(1, 1, 3, 1);
    F.Form.MirrorSelectionH();
    EXPECT_EQ(F.BG(3, 1), 1);
    EXPECT_EQ(F.BG(1, 1), -1);
    EXPECT_EQ(F.FG(1, 1), 40);
    EXPECT_EQ(F.FG(3, 1), -1);
    EXPECT_EQ(F.FG(2, 1), 9);  // the middle column stays
    EXPECT_EQ(F.Form.History.Count(), 1);
    F.Form.MirrorSelectionV();  // one row high: nothing, no snapshot
    EXPECT_EQ(F.Form.History.Count(), 1);

    Select(5, 5, 5, 8);
    F.SetFG(5, 5, 12);
    F.Form.MirrorSelectionH();  // one column wide
    EXPECT_EQ(F.Form.History.Count(), 1);
    F.Form.MirrorSelectionV();
    EXPECT_EQ(F.FG(5, 8), 12);
    EXPECT_EQ(F.FG(5, 5), -1);
    EXPECT_EQ(F.Form.History.Count(), 2);
}

TEST_F(ToolsTest, MirrorBringsEmptyCellsInFromBeyondTheField)
{
    F.SetFG(0, 0, 9);
    F.SetFG(1, 0, 10);
    F.Form.SelRect = TRect{-32, 0, 32, 16};  // columns -2..1 of row 0
    F.Form.MirrorSelectionH();
    EXPECT_EQ(F.FG(0, 0), -1);
    EXPECT_EQ(F.FG(1, 0), -1);
    EXPECT_EQ(F.Form.FGLayer->Cell(0, 1), 9);  // the ring receives the pair as read
}

TEST_F(ToolsTest, HugeSelectionsStayWithinTheLayers)
{
    for (int c = 0; c < 40; ++c)
        F.SetFG(c, 3, 8 + c % 8);
    const TRect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    F.Form.SelRect = huge;
    F.Form.CopySelection();
    F.Form.MirrorSelectionH();
    F.Form.MirrorSelectionV();
    F.Form.PasteSelection();
    F.Form.ClearSelection();
    EXPECT_EQ(F.FG(5, 3), -1);
    F.Form.MoveSelection(INT_MAX, INT_MIN);
    F.Form.MoveSelection(INT_MAX, INT_MIN);
    F.Form.ClearSelection();
    // A selection far to the right with its mirror partner in the field.
    F.SetFG(0, 0, 9);
    F.Form.SelRect = TRect{0, 0, 16 * 1000001, 16};
    F.Form.MirrorSelectionH();
    EXPECT_EQ(F.FG(0, 0), -1);
}
