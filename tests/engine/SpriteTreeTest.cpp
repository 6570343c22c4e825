#include "engine/DXSprite.h"
#include "support/AllocCounter.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <string>
#include <vector>

namespace {

// Records the order in which sprites are drawn.
struct TProbe : TSprite {
    TProbe(TSprite* parent, std::string name, std::vector<std::string>* log, int z = 0)
        : TSprite(parent), Name(std::move(name)), Log(log)
    {
        SetZ(z);
        Width = 10;
        Height = 10;
    }
    void DrawSelf() override { Log->push_back(Name); }
    void MoveSelf(int ticks) override { Moved += ticks; }
    std::string Name;
    std::vector<std::string>* Log;
    int Moved = 0;
};

struct SpriteTree : ::testing::Test {
    TSpriteEngine engine;
    std::vector<std::string> log;
    SpriteTree() { engine.TargetRect = TRect{0, 0, 640, 480}; }
};

TEST_F(SpriteTree, DrawsInAscendingZWhateverTheCreationOrder)
{
    new TProbe(&engine, "fg", &log, 4);
    new TProbe(&engine, "flag", &log, 10);
    new TProbe(&engine, "bg", &log, -2);
    new TProbe(&engine, "shadow", &log, -1);
    engine.Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"bg", "shadow", "fg", "flag"}));
    EXPECT_EQ(engine.DrawnCount(), 4);
    EXPECT_EQ(engine.SpriteCount(), 4);
}

TEST_F(SpriteTree, EqualDepthPutsTheLaterSpriteUnderneath)
{
    new TProbe(&engine, "first", &log);
    new TProbe(&engine, "second", &log);
    engine.Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"second", "first"}));
}

TEST_F(SpriteTree, ChangingZReinserts)
{
    auto* a = new TProbe(&engine, "a", &log, 1);
    new TProbe(&engine, "b", &log, 2);
    a->SetZ(3);
    engine.Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
}

TEST_F(SpriteTree, InvisibleHidesTheSubtreeAndImmovableFreezesIt)
{
    auto* parent = new TProbe(&engine, "parent", &log);
    auto* child = new TProbe(parent, "child", &log);
    EXPECT_EQ(child->Engine(), &engine);
    EXPECT_EQ(engine.SpriteCount(), 2);
    parent->Visible = false;
    engine.Draw();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(engine.DrawnCount(), 0);

    parent->Movable = false;
    engine.Move(16);
    EXPECT_EQ(child->Moved, 0);
    parent->Movable = true;
    engine.Move(16);
    EXPECT_EQ(parent->Moved, 16);
    EXPECT_EQ(child->Moved, 16);
}

TEST_F(SpriteTree, TouchingTheTargetEdgeIsNotDrawnButChildrenStillAre)
{
    auto* outside = new TProbe(&engine, "outside", &log);
    outside->X = 640;  // touches the right edge only
    auto* inner = new TProbe(outside, "inner", &log);
    inner->X = -20;  // absolute 620: inside
    engine.Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"inner"}));
    EXPECT_EQ(engine.DrawnCount(), 1);
}

TEST_F(SpriteTree, AbsolutePositionFollowsTheRoot)
{
    engine.X = -16;
    engine.Y = -16;
    auto* s = new TProbe(&engine, "s", &log);
    s->X = 319;
    s->Y = 464;
    EXPECT_EQ(s->ExtentRect(), (TRect{303, 448, 313, 458}));
}

TEST_F(SpriteTree, DestroyingUpdatesCountsAndLists)
{
    auto* a = new TProbe(&engine, "a", &log);
    auto* b = new TProbe(a, "b", &log);
    (void)b;
    EXPECT_EQ(engine.SpriteCount(), 2);
    delete a;
    EXPECT_EQ(engine.SpriteCount(), 0);
    EXPECT_EQ(engine.ChildCount(), 0);
    EXPECT_THROW(engine.Child(0), ESpriteError);
    engine.Draw();
    EXPECT_TRUE(log.empty());
}

TEST_F(SpriteTree, ChildIndexOutsideAnExistingListRaises)
{
    new TProbe(&engine, "a", &log);
    EXPECT_THROW(engine.Child(1), std::out_of_range);
    EXPECT_THROW(engine.Child(-1), std::out_of_range);
}

TEST_F(SpriteTree, FreeKilledDestroysKilledSprites)
{
    auto* a = new TProbe(&engine, "a", &log);
    new TProbe(&engine, "b", &log);
    engine.Kill(a);
    engine.FreeKilled();
    EXPECT_EQ(engine.SpriteCount(), 1);
    engine.FreeKilled();  // empty list: nothing
    EXPECT_EQ(engine.SpriteCount(), 1);
}

TEST(ImageSpriteAnimation, LoopingKeepsTheFraction)
{
    TSpriteEngine engine;
    auto* flag = new TImageSprite(&engine);
    flag->FrameCount = 8;
    flag->FrameSpeed = 0.003;
    flag->Looping = true;
    for (int i = 0; i < 167; ++i)
        flag->Move(16);
    EXPECT_NEAR(flag->FramePos, 0.016, 1e-9);
}

TEST(ImageSpriteAnimation, NonLoopingStopsOnTheLastFrame)
{
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameCount = 4;
    s->FrameSpeed = 1;
    s->Move(10);
    EXPECT_EQ(s->FramePos, 3);
    EXPECT_EQ(s->FrameSpeed, 0);
}

TEST(TileLayerCells, ResizeClearsToZeroAndReadsOutsideGiveEmpty)
{
    TSpriteEngine engine;
    TBackgroundSprite layer(&engine);
    EXPECT_FALSE(layer.Collidable);
    layer.SetGridSize(40, 30);
    EXPECT_EQ(layer.Cell(0, 0), 0);
    EXPECT_EQ(layer.Cell(39, 29), 0);
    EXPECT_TRUE(layer.HitFlag(39, 29));
    EXPECT_EQ(layer.Cell(40, 0), -1);
    EXPECT_EQ(layer.Cell(-1, 0), -1);
    EXPECT_EQ(layer.Cell(0, 30), -1);
    EXPECT_FALSE(layer.HitFlag(40, 0));

    layer.PutCell(3, 4, 7);
    layer.SetHitFlag(3, 4, false);
    layer.SetGridSize(40, 30);  // same size keeps everything
    EXPECT_EQ(layer.Cell(3, 4), 7);
    EXPECT_FALSE(layer.HitFlag(3, 4));
    layer.SetGridSize(41, 30);  // another size clears even the overlap
    EXPECT_EQ(layer.Cell(3, 4), 0);
    EXPECT_TRUE(layer.HitFlag(3, 4));
}

TEST(TileLayerCells, NonPositiveSizeGivesNoGrid)
{
    TSpriteEngine engine;
    TBackgroundSprite layer(&engine);
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, -1}}) {
        layer.SetGridSize(4, 4);
        layer.SetGridSize(w, h);
        EXPECT_EQ(layer.Columns(), 0);
        EXPECT_EQ(layer.Rows(), 0);
        layer.SetCell(0, 0, 3);
        layer.PutCell(0, 0, 3);
        EXPECT_EQ(layer.Cell(0, 0), -1);
    }
}

TEST(TileLayerCells, AFailedResizeLeavesNoGrid)
{
    auto expectNoGrid = [](TBackgroundSprite& layer, const char* what) {
        EXPECT_EQ(layer.Columns(), 0) << what;
        EXPECT_EQ(layer.Rows(), 0) << what;
        layer.SetCell(50, 50, 3);
        layer.PutCell(99, 99, 3);
        layer.SetHitFlag(99, 99, true);
        EXPECT_EQ(layer.Cell(0, 0), -1) << what;
        EXPECT_EQ(layer.Cell(99, 99), -1) << what;
        EXPECT_FALSE(layer.HitFlag(50, 50)) << what;
    };
    TSpriteEngine engine;
    TBackgroundSprite layer(&engine);
    // The cell array fails, then the drawn codes, then the hit flags after
    // the others were made.
    const char* const failing[] = {"cells", "drawn codes", "hit flags"};
    for (const std::size_t successes : {0u, 1u, 2u}) {
        layer.SetGridSize(4, 4);
        bool raised = false;
        {
            AllocCounter::TFailAllocation fail(successes);
            try {
                layer.SetGridSize(100, 100);
            } catch (const std::bad_alloc&) {
                raised = true;
            }
        }
        EXPECT_TRUE(raised) << successes;
        expectNoGrid(layer, failing[successes]);
    }
    // A size no memory can hold.
    layer.SetGridSize(4, 4);
    EXPECT_THROW(layer.SetGridSize(INT_MAX, INT_MAX), std::bad_alloc);
    expectNoGrid(layer, "huge");
    layer.SetGridSize(3, 3);
    EXPECT_EQ(layer.Cell(2, 2), 0);
}

TEST(TileLayerCells, SetCellRaisesOnlyForAChangeAfterTheStore)
{
    TSpriteEngine engine;
    TBackgroundSprite layer(&engine);
    layer.SetGridSize(4, 4);
    std::vector<std::pair<int, int>> events;
    int seen = 0;
    layer.OnCellChange = [&](TBackgroundSprite* sender, int x, int y) {
        events.emplace_back(x, y);
        seen = sender->Cell(x, y);
    };
    layer.SetCell(1, 2, 0);  // same code
    layer.SetCell(9, 9, 5);  // outside
    layer.PutCell(1, 2, 5);  // silent
    EXPECT_TRUE(events.empty());
    layer.SetCell(1, 2, 6);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (std::pair{1, 2}));
    EXPECT_EQ(seen, 6);
}

// The code drawn follows every write of a code and may then be turned alone;
// the written code and its revision never see that.
TEST(TileLayerCells, TheDrawnCodeTurnsApartFromTheWrittenOne)
{
    TSpriteEngine engine;
    TBackgroundSprite layer(&engine);
    layer.SetGridSize(4, 4);
    layer.SetCell(1, 1, 60);
    EXPECT_EQ(layer.DrawnCell(1, 1), 60);
    const std::uint64_t codes = layer.CodeRevision(), drawn = layer.Revision();
    layer.PutDrawnCell(1, 1, 61);
    layer.PutDrawnCell(9, 9, 61);  // outside: nothing
    EXPECT_EQ(layer.Cell(1, 1), 60);
    EXPECT_EQ(layer.DrawnCell(1, 1), 61);
    EXPECT_EQ(layer.DrawnCell(9, 9), -1);
    EXPECT_EQ(layer.CodeRevision(), codes);
    EXPECT_GT(layer.Revision(), drawn);
    // Writing the same code again changes nothing; writing another one, by
    // either write, is drawn as written.
    layer.SetCell(1, 1, 60);
    EXPECT_EQ(layer.DrawnCell(1, 1), 61);
    layer.SetCell(1, 1, 40);
    EXPECT_EQ(layer.DrawnCell(1, 1), 40);
    layer.PutDrawnCell(1, 1, 41);
    layer.PutCell(1, 1, 40);
    EXPECT_EQ(layer.DrawnCell(1, 1), 40);
    EXPECT_EQ(layer.CodeRevision(), codes + 1);
}

}  // namespace
