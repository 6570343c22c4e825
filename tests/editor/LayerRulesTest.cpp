// The BG/FG exclusion rule and the shadow rule.
#include "editor/RandomGen.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

// The shadow layer must always equal the shadow rule applied to the current
// FG: recomputing every cell from scratch changes nothing.
void ExpectShadowsConsistent(TEditorFixture& f)
{
    std::vector<int> before;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            before.push_back(f.Shadow(x, y));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 42; ++x)
            f.Form.ShadowCode(f.Form.FGLayer, x, y);
    std::size_t i = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x, ++i)
            ASSERT_EQ(f.Shadow(x, y), before[i]) << "shadow cell " << x << "," << y;
}

}  // namespace

TEST(LayerRules, TheLaterWriteOfExclusiveCodesWins)
{
    struct Case {
        int BG, FG;    // the cell before
        bool WriteFG;  // which layer is written
        int Code;
        int WantBG, WantFG;
    };
    // clang-format off
    const Case cases[] = {
        {5, -1, true, 30, -1, 30},   // FG 24..63 over BG 4..7 empties BG
        {4, -1, true, 63, -1, 63},
        {-1, 30, false, 5, 5, -1},   // BG 4..7 under FG 24..63 empties FG
        {-1, 24, false, 7, 7, -1},
        {3, -1, true, 30, 3, 30},    // BG 0..3 is not exclusive
        {5, -1, true, 12, 5, 12},    // FG 8..23 is not exclusive
        {-1, 12, false, 6, 6, 12},
        {-1, 64, false, 6, 6, 64},   // the border code is not a tile
        {5, -1, true, 23, 5, 23},
    };
    // clang-format on
    for (const auto& c : cases) {
        TEditorFixture f;
        f.SetBG(10, 10, c.BG);
        f.SetFG(10, 10, c.FG);
        if (c.WriteFG)
            f.SetFG(10, 10, c.Code);
        else
            f.SetBG(10, 10, c.Code);
        EXPECT_EQ(f.BG(10, 10), c.WantBG) << "case BG " << c.BG << " FG " << c.FG << " code " << c.Code;
        EXPECT_EQ(f.FG(10, 10), c.WantFG) << "case BG " << c.BG << " FG " << c.FG << " code " << c.Code;
        ExpectShadowsConsistent(f);
    }
}

// In layer coordinates: FG layer cell (x, y) lies over shadow cell (x - 1, y - 1).
TEST(ShadowRule, ABlockAloneCastsRightBelowAndCorner)
{
    TEditorFixture f;
    f.Form.FGLayer->SetCell(10, 10, 40);
    EXPECT_EQ(f.Shadow(9, 9), -1);
    EXPECT_EQ(f.Shadow(10, 9), 17);
    EXPECT_EQ(f.Shadow(9, 10), 19);
    EXPECT_EQ(f.Shadow(10, 10), 16);
    f.Form.FGLayer->SetCell(10, 10, -1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(f.Shadow(x, y), -1);
}

TEST(ShadowRule, UpperObjectOverLowerCell)
{
    TEditorFixture f;
    f.SetFG(3, 3, 34);
    f.SetFG(3, 4, 12);
    EXPECT_EQ(f.Shadow(3, 4), 23);
    f.SetFG(3, 4, 8);
    EXPECT_EQ(f.Shadow(3, 4), -1);
}

TEST(ShadowRule, BorderAndEdgeCellsStayInsideTheShadowGrid)
{
    TEditorFixture f;
    f.ApplyEmpty();  // FG ring 64 casts nothing
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(f.Shadow(x, y), -1);
    f.SetFG(39, 29, 40);
    f.SetFG(0, 0, 40);
    f.Form.FGLayer->SetCell(41, 31, 40);  // a ring cell: its shadows fall off the grid
    f.Form.FGLayer->SetCell(0, 0, 40);
    EXPECT_EQ(f.Shadow(0, 0), -1);  // under FG field (0, 0) itself
    EXPECT_EQ(f.Shadow(1, 0), 17);
    ExpectShadowsConsistent(f);
}

TEST(ShadowRule, StaysConsistentThroughEditsLoadsAndRandomStages)
{
    TEditorFixture f;
    for (std::uint32_t seed : {1u, 77u, 4096u}) {
        RandomSeed = seed;
        f.Form.Document.SetStageNum(static_cast<std::uint16_t>(seed % 100));
        f.Form.GenerateRandomStage();
        ExpectShadowsConsistent(f);
        f.Form.ToolMode = TToolMode::Pencil;
        f.Form.CurTile = 14;
        f.Press(f.Px(3), f.Px(3));
        for (int i = 0; i < 30; ++i)
            f.Move(f.Px(3 + i), f.Px(3 + i / 2));
        f.Release(0, 0);
        f.Form.SelRect = TRect{0, 0, 320, 240};
        f.Form.MirrorSelectionH();
        ExpectShadowsConsistent(f);
        f.Form.Undo();
        f.Form.Undo();
        ExpectShadowsConsistent(f);
    }
}
