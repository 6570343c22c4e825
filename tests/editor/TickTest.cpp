// The tick's tile animation: which codes turn at which ticks. The animation
// turns the codes drawn; the codes written stay for capture and history.
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The ticks in 1..last at which a cell's drawn code changed.
std::vector<int> ChangeTicks(TEditorFixture& f, TBackgroundSprite* layer, int x, int y, int last)
{
    std::vector<int> ticks;
    for (int tick = 1; tick <= last; ++tick) {
        const int before = layer->DrawnCell(x, y);
        f.Form.RunTick();
        if (layer->DrawnCell(x, y) != before)
            ticks.push_back(tick);
    }
    return ticks;
}

// Field cells as drawn.
int DrawnBG(TEditorFixture& f, int column, int row)
{
    return f.Form.BGLayer->DrawnCell(column + 1, row + 1);
}
int DrawnFG(TEditorFixture& f, int column, int row)
{
    return f.Form.FGLayer->DrawnCell(column + 1, row + 1);
}

}  // namespace

TEST(Tick, BGCodesFourAndAboveTurnAtTicksFifteenModThirtyTwo)
{
    TEditorFixture f;
    f.Form.ApplyStage([] {
        StageRecord r;
        TMainForm::EmptyStage(r);
        r.BG[0][0] = 4;
        r.BG[1][0] = 7;
        r.BG[2][0] = 45;
        return r;
    }());
    for (int i = 0; i < 14; ++i)
        f.Form.RunTick();
    EXPECT_EQ(DrawnBG(f, 0, 0), 4);
    f.Form.RunTick();  // tick 15
    EXPECT_EQ(DrawnBG(f, 0, 0), 5);
    EXPECT_EQ(DrawnBG(f, 1, 0), 4);
    EXPECT_EQ(DrawnBG(f, 2, 0), 46);
    EXPECT_EQ(f.Form.BGLayer->DrawnCell(0, 0), 65);  // the ring turns too
    EXPECT_EQ(f.BG(0, 0), 4);                        // as written
    EXPECT_EQ(f.Form.BGLayer->Cell(0, 0), 64);
    EXPECT_EQ(ChangeTicks(f, f.Form.BGLayer, 1, 1, 100), (std::vector<int>{47 - 15, 79 - 15, 111 - 15}));
}

TEST(Tick, BGCodesZeroToThreeTurnInBurstsOfFour)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.SetBG(0, 0, 2);
    std::vector<int> codes;
    std::vector<int> ticks;
    for (int tick = 1; tick <= 300; ++tick) {
        const int before = DrawnBG(f, 0, 0);
        f.Form.RunTick();
        if (DrawnBG(f, 0, 0) != before) {
            ticks.push_back(tick);
            codes.push_back(DrawnBG(f, 0, 0));
        }
    }
    EXPECT_EQ(ticks, (std::vector<int>{1,  2,  3,  16,  17,  18,  19,  64,  65,  66,  67, 80,
                                       81, 82, 83, 256, 257, 258, 259, 272, 273, 274, 275}));
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 7), (std::vector<int>{3, 0, 1, 2, 3, 0, 1}));
}

TEST(Tick, FGCodesSixtyToSixtyThreeTurnAndOthersNever)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.SetFG(0, 0, 61);
    f.SetFG(1, 0, 59);
    f.SetFG(2, 0, 64);
    EXPECT_EQ(ChangeTicks(f, f.Form.FGLayer, 1, 1, 450), (std::vector<int>{32, 128, 160, 256, 288, 384, 416}));
    EXPECT_EQ(DrawnFG(f, 0, 0), 60);  // seven steps within its group: 61 -> 62 -> 63 -> 60 ...
    EXPECT_EQ(DrawnFG(f, 1, 0), 59);
    EXPECT_EQ(DrawnFG(f, 2, 0), 64);
    EXPECT_EQ(f.FG(0, 0), 61);
    // The animation writes silently: no history, shadows unchanged.
    EXPECT_EQ(f.Form.History.Count(), 0);
    EXPECT_EQ(f.Shadow(0, 1), 19);
}

TEST(Tick, LagAndFrameCounters)
{
    TEditorFixture f;
    f.Form.LagTime = 10;
    f.Form.RunTick();
    EXPECT_EQ(f.Form.LagTime, -6);
    EXPECT_EQ(f.Form.FrameTick, 1);
    f.Form.FrameTick = INT_MAX;  // wraps without overflow
    f.Form.RunTick();
    EXPECT_EQ(f.Form.FrameTick, INT_MIN);
    // The flag's animation advances by 16 x 0.003 patterns a tick.
    f.Form.FlagSprite->FrameCount = 8;
    f.Form.FlagSprite->FramePos = 0;
    f.Form.RunTick();
    EXPECT_NEAR(f.Form.FlagSprite->FramePos, 0.048, 1e-9);
}
