// Undo and redo: depth, the redo tail, exact restores and snapshot storage.
#include "support/AllocCounter.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

// One pencil stroke of palette 3 (codes 8..11) on field cell (n mod 40, n div 40).
void Stroke(TEditorFixture& f, int n)
{
    f.Form.ToolMode = TToolMode::Pencil;
    f.Form.CurTile = 3;
    f.Press(f.Px(n % 40), f.Px(n / 40));
    f.Release(f.Px(n % 40), f.Px(n / 40));
}

}  // namespace

TEST(History, SixtyStrokesFiftyUndos)
{
    TEditorFixture f;
    f.ApplyEmpty();
    StageRecord beforeStroke11;
    for (int n = 0; n < 60; ++n) {
        if (n == 10)
            beforeStroke11 = f.Capture();
        Stroke(f, n);
    }
    EXPECT_EQ(f.Form.History.Count(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(f.Host.UndoEnabled);
        f.Form.Undo();
    }
    EXPECT_TRUE(SameBytes(f.Capture(), beforeStroke11));
    EXPECT_FALSE(f.Host.UndoEnabled);
    EXPECT_TRUE(f.Host.RedoEnabled);
    f.Form.Undo();  // nothing left
    EXPECT_TRUE(SameBytes(f.Capture(), beforeStroke11));
    EXPECT_EQ(f.Form.History.Position(), -1);
}

TEST(History, RedoTailIsDroppedByANewEdit)
{
    TEditorFixture f;
    f.ApplyEmpty();
    for (int n = 0; n < 3; ++n)
        Stroke(f, n);
    f.Form.Undo();
    f.Form.Undo();
    f.Form.Redo();
    EXPECT_TRUE(f.Host.RedoEnabled);
    EXPECT_EQ(f.Form.History.Position(), 1);
    EXPECT_EQ(f.Form.History.Count(), 3);
    Stroke(f, 5);
    EXPECT_FALSE(f.Host.RedoEnabled);
    EXPECT_EQ(f.Form.History.Count(), 3);
    EXPECT_EQ(f.Form.History.Position(), 2);
    f.Form.Redo();  // nothing to redo
    EXPECT_EQ(f.Form.History.Position(), 2);
}

TEST(History, UndoThenRedoRestoresStageSettingsAndTitle)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.Form.PushHistory();
    f.Form.Caption.Assign(std::string("Edited"));
    f.Form.EnemyCount[2] = 9;
    f.Form.EnemyTotal = 9;
    f.SetFG(4, 4, 40);
    f.Form.UpdateTitle();
    const StageRecord edited = f.Capture();
    const std::string title = f.Form.WindowCaption();

    f.Form.Undo();
    EXPECT_EQ(f.Form.Caption.Str(), "Undefined Stage");
    EXPECT_EQ(f.Form.EnemyTotal, 0);
    EXPECT_EQ(f.Shadow(4, 5), -1);
    f.Form.Redo();
    EXPECT_TRUE(SameBytes(f.Capture(), edited));
    EXPECT_EQ(f.Form.WindowCaption(), title);
    EXPECT_EQ(f.Form.OptionCaption(), "&EC=09");
    EXPECT_EQ(f.Shadow(4, 5), 19);
}

TEST(History, PushWithEverythingUndoneDiscardsAllSnapshots)
{
    TEditorFixture f;
    f.ApplyEmpty();
    for (int n = 0; n < 4; ++n)
        Stroke(f, n);
    for (int n = 0; n < 4; ++n)
        f.Form.Undo();
    EXPECT_EQ(f.Form.History.Position(), -1);
    EXPECT_EQ(f.Form.History.Count(), 4);
    f.Form.PushHistory();
    EXPECT_EQ(f.Form.History.Count(), 1);
    EXPECT_EQ(f.Form.History.Position(), 0);
    EXPECT_FALSE(f.Host.RedoEnabled);
}

TEST(History, StageNumberSelectionAndClipAreNotPartOfASnapshot)
{
    TEditorFixture f;
    f.ApplyEmpty();
    Stroke(f, 0);
    f.Form.Document.SetStageNum(12);
    f.Form.SelRect = TRect{16, 16, 48, 48};
    f.Form.Undo();
    EXPECT_EQ(f.Form.Document.StageNum(), 12);
    EXPECT_EQ(f.Form.WindowCaption(), "铁履纵横 地图编辑器 - Stage 12 (Undefined Stage)");
    EXPECT_EQ(f.Form.SelRect, (TRect{16, 16, 48, 48}));
}

TEST(History, UndoAfterALoadBringsBackTheStateBeforeIt)
{
    TEditorFixture f;
    f.ApplyEmpty();
    Stroke(f, 0);
    const StageRecord painted = f.Capture();
    StageRecord other;
    TMainForm::EmptyStage(other);
    other.Caption.Assign(std::string("Loaded"));
    f.Form.ApplyStage(other);  // a load records nothing
    EXPECT_EQ(f.Form.History.Count(), 1);
    f.Form.Undo();
    EXPECT_FALSE(SameBytes(f.Capture(), painted));  // the state before the stroke
    EXPECT_EQ(f.FG(0, 0), -1);
    f.Form.Redo();
    EXPECT_EQ(f.Form.Caption.Str(), "Loaded");
}

TEST(History, FiftySnapshotsFitInTheirStorageBudget)
{
    TEditorFixture f;
    f.ApplyEmpty();
    const std::size_t before = AllocCounter::LiveBytes();
    for (int n = 0; n < 80; ++n)
        f.Form.PushHistory();
    EXPECT_EQ(f.Form.History.Count(), 50);
    const std::size_t used = AllocCounter::LiveBytes() - before;  // snapshots and the list
    EXPECT_GE(used, 50 * sizeof(StageRecord));
    EXPECT_LE(used, 310000u);
}
