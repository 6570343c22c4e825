// The main window's key table.
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

struct KeysTest : ::testing::Test {
    TEditorFixture F;
    void SetUp() override
    {
        F.ApplyEmpty();
        F.Form.ToolMode = TToolMode::Select;
        F.Form.SelRect = TRect{160, 160, 192, 176};  // cells (10..11, 10)
        F.SetFG(10, 10, 9);
        F.SetFG(11, 10, 40);
    }
    int Snapshots() const { return F.Form.History.Count(); }
};

}  // namespace

TEST_F(KeysTest, UndoAndRedoNeedExactlyCtrlOrCtrlShift)
{
    F.Form.PushHistory();
    F.SetFG(0, 0, 12);
    F.Key(VK::Z);
    F.Key(VK::Z, ssCtrl | ssAlt);
    F.Key(VK::Z, ssShift);
    EXPECT_EQ(F.FG(0, 0), 12);
    F.Key(VK::Z, ssCtrl);
    EXPECT_EQ(F.FG(0, 0), -1);
    F.Key(VK::Z, ssCtrl | ssShift | ssAlt);
    F.Key(VK::Y, ssCtrl | ssShift);
    EXPECT_EQ(F.FG(0, 0), -1);
    F.Key(VK::Y, ssCtrl);
    EXPECT_EQ(F.FG(0, 0), 12);
    F.Key(VK::Z, ssCtrl);
    F.Key(VK::Z, ssCtrl | ssShift);
    EXPECT_EQ(F.FG(0, 0), 12);
    F.Key(VK::Z, ssCtrl | ssShift);  // nothing to redo
    EXPECT_EQ(F.FG(0, 0), 12);
}

TEST_F(KeysTest, FunctionKeysWorkWithAnyToolAndModifier)
{
    for (TToolMode tool : {TToolMode::Select, TToolMode::Fill, TToolMode::Pencil, TToolMode::Box})
        for (TShiftState shift : {0u, ssCtrl, ssAlt | ssShift}) {
            F.Form.ToolMode = tool;
            const bool status = F.Form.ShowStatus;
            F.Key(VK::F5, shift);
            EXPECT_NE(F.Form.ShowStatus, status);

            const bool shown = F.Host.ToolWindowShown;
            F.Key(VK::F6, shift);
            EXPECT_NE(F.Host.ToolWindowShown, shown);

            const bool stages = F.Host.StagesWindowShown;
            F.Key(VK::F4, shift);
            EXPECT_NE(F.Host.StagesWindowShown, stages);
            EXPECT_EQ(F.Host.ToolWindowShown, !shown);  // F4 and F6 are separate windows

            const bool all = F.Host.AllLayer;
            F.Key(VK::F7, shift);
            EXPECT_NE(F.Host.AllLayer, all);
            EXPECT_EQ(F.Form.FGLayer->Visible, !all);
            EXPECT_EQ(F.Form.ShadowLayer->Visible, !all);
            EXPECT_TRUE(F.Form.BGLayer->Visible);

            const bool grid = F.Host.Grid;
            F.Key(VK::F8, shift);
            EXPECT_NE(F.Host.Grid, grid);
            EXPECT_EQ(F.Form.ShowGrid, !grid);

            const bool mode = F.Form.TimeMode60;
            F.Key(VK::F9, shift);
            EXPECT_NE(F.Form.TimeMode60, mode);

            const bool readout = F.Form.ShowReadout;
            F.Key(VK::F2, shift);
            EXPECT_NE(F.Form.ShowReadout, readout);
            EXPECT_EQ(F.Host.ReadoutShown, !readout);
        }
    EXPECT_EQ(Snapshots(), 0);
}

TEST_F(KeysTest, ZoomKeysNeedCtrlWithoutAlt)
{
    F.Form.ToolMode = TToolMode::Box;
    for (const std::uint16_t key : {VK::OemPlus, VK::Add, VK::OemMinus, VK::Subtract, VK::Digit0}) {
        F.Key(key, ssCtrl | ssShift);  // Shift may be needed to type the plus
        F.Key(key);
        F.Key(key, ssCtrl | ssAlt);
    }
    const std::vector<TZoomStep> asked = {TZoomStep::In, TZoomStep::In, TZoomStep::Out, TZoomStep::Out,
                                          TZoomStep::Reset};
    EXPECT_EQ(F.Host.Zooms, asked);
}

TEST_F(KeysTest, DirectionKeysMoveTheSelection)
{
    struct Case {
        std::uint16_t Key;
        int Dx, Dy;
    };
    const Case cases[] = {{VK::Prior, 1, -1}, {VK::Next, 1, 1}, {VK::End, -1, 1},  {VK::Home, -1, -1},
                          {VK::Left, -1, 0},  {VK::Up, 0, -1},  {VK::Right, 1, 0}, {VK::Down, 0, 1}};
    for (const auto& c : cases)
        for (TShiftState shift : {0u, ssShift}) {
            F.Form.SelRect = TRect{160, 160, 192, 176};
            F.Key(c.Key, shift);
            EXPECT_EQ(F.Form.SelRect, (TRect{160 + 16 * c.Dx, 160 + 16 * c.Dy, 192 + 16 * c.Dx, 176 + 16 * c.Dy}))
                << c.Key;
        }
    EXPECT_EQ(Snapshots(), 0);
    EXPECT_EQ(F.FG(10, 10), 9);  // the cells stay
    // Never stopped at the field's edge.
    for (int i = 0; i < 20; ++i)
        F.Key(VK::Left);
    EXPECT_LT(F.Form.SelRect.Right, 0);
}

TEST_F(KeysTest, CtrlDirectionCarriesCellsAndCtrlShiftStampsACopy)
{
    F.Key(VK::Right, ssCtrl);
    EXPECT_EQ(F.FG(10, 10), -1);
    EXPECT_EQ(F.FG(11, 10), 9);  // overlapping move keeps every cell
    EXPECT_EQ(F.FG(12, 10), 40);
    EXPECT_EQ(Snapshots(), 1);
    F.Key(VK::Down, ssCtrl | ssShift);
    EXPECT_EQ(F.FG(11, 10), 9);
    EXPECT_EQ(F.FG(11, 11), 9);
    EXPECT_EQ(F.FG(12, 11), 40);
    EXPECT_EQ(Snapshots(), 2);
    // Carried beyond the field, cells are lost; carried back, they arrive empty.
    F.Form.SelRect = TRect{624, 160, 640, 176};  // cell (39, 10)
    F.SetFG(39, 10, 13);
    F.Key(VK::Right, ssCtrl);
    EXPECT_EQ(F.FG(39, 10), -1);
    EXPECT_EQ(F.Form.FGLayer->Cell(41, 11), BorderCode);
    F.Key(VK::Left, ssCtrl);
    EXPECT_EQ(F.FG(39, 10), -1);
}

TEST_F(KeysTest, AltMirrorsOnlyWithTheArrows)
{
    F.Key(VK::Left, ssAlt);
    EXPECT_EQ(F.FG(10, 10), 40);
    EXPECT_EQ(F.FG(11, 10), 9);
    F.Key(VK::Right, ssAlt | ssCtrl);
    EXPECT_EQ(F.FG(10, 10), 9);
    EXPECT_EQ(Snapshots(), 2);
    F.Key(VK::Up, ssAlt);  // one row high: nothing
    for (std::uint16_t key : {VK::Home, VK::Prior, VK::Insert, VK::Delete, VK::C, VK::V, VK::X})
        F.Key(key, ssAlt | ssCtrl);
    EXPECT_EQ(F.Form.SelRect, (TRect{160, 160, 192, 176}));
    EXPECT_EQ(F.Form.ClipWidth, 0);
    EXPECT_EQ(Snapshots(), 2);
    F.Form.SelRect = TRect{160, 160, 176, 192};
    F.Key(VK::Down, ssAlt | ssShift);
    EXPECT_EQ(F.FG(10, 11), 9);
}

TEST_F(KeysTest, ClipboardKeys)
{
    F.Key(VK::C, ssCtrl);
    EXPECT_EQ(F.Form.ClipWidth, 2);
    EXPECT_EQ(Snapshots(), 0);
    F.Key(VK::C, ssCtrl | ssShift);  // not exactly Ctrl
    F.Key(VK::Delete);
    EXPECT_EQ(F.FG(10, 10), -1);
    EXPECT_EQ(Snapshots(), 1);
    F.Key(VK::Insert, ssShift);
    EXPECT_EQ(F.FG(10, 10), 9);
    F.Key(VK::Delete, ssShift);
    F.Key(VK::Insert, ssCtrl);
    EXPECT_EQ(F.FG(11, 10), 40);
    EXPECT_EQ(Snapshots(), 4);
    F.Key(VK::V, ssCtrl | ssShift);  // not exactly Ctrl
    EXPECT_EQ(Snapshots(), 4);
}

TEST_F(KeysTest, CutThenPasteRestoresAndTwoUndosGoBack)
{
    const StageRecord before = F.Capture();
    F.Key(VK::X, ssCtrl);
    EXPECT_EQ(F.FG(10, 10), -1);
    F.Key(VK::V, ssCtrl);
    EXPECT_TRUE(SameBytes(F.Capture(), before));
    EXPECT_EQ(Snapshots(), 2);
    F.Key(VK::Z, ssCtrl);
    EXPECT_EQ(F.FG(10, 10), -1);
    F.Key(VK::Z, ssCtrl);
    EXPECT_TRUE(SameBytes(F.Capture(), before));
}

TEST_F(KeysTest, SelectionKeysDoNothingWithOtherTools)
{
    for (TToolMode tool : {TToolMode::Fill, TToolMode::Pencil, TToolMode::Box}) {
        F.Form.ToolMode = tool;
        for (std::uint16_t key : {VK::Left, VK::Down, VK::Home, VK::Insert, VK::Delete})
            for (TShiftState shift : {0u, ssCtrl, ssAlt, ssShift})
                F.Key(key, shift);
        for (std::uint16_t key : {VK::C, VK::X, VK::V})
            F.Key(key, ssCtrl);
    }
    EXPECT_EQ(F.Form.SelRect, (TRect{160, 160, 192, 176}));
    EXPECT_EQ(F.FG(10, 10), 9);
    EXPECT_EQ(F.Form.ClipWidth, 0);
    EXPECT_EQ(Snapshots(), 0);
}

TEST_F(KeysTest, TheKeyIsLeftUnchanged)
{
    std::uint16_t key = VK::Delete;
    F.Form.FormKeyDown(key, 0);
    EXPECT_EQ(key, VK::Delete);
}
