// The cursor readout (F2): its text for the cell under the pointer, the
// outline it draws in the editor's frame, and that neither reaches a render
// or a captured record.
#include "editor/StageRenderer.h"
#include "engine/DXDraws.h"
#include "support/EngineTestKit.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

TEST(Readout, TextForTheCellUnderThePointer)
{
    TEditorFixture e;
    e.ApplyEmpty();
    e.SetBG(0, 0, 1);
    e.SetFG(39, 29, 60);
    e.SetFG(10, 10, 40);  // a steel block: shadow 19 falls on the cell below it
    e.SetBG(10, 11, 17);  // a code a damaged record holds in BG
    e.SetFG(20, 5, 300);  // one nothing names
    // clang-format off
    const struct {
        const char* Where;
        std::function<void(TEditorFixture&)> Do;
        const char* Text;
    } cases[] = {
        {"top-left corner", [](auto& f) { f.Form.DXDrawMouseMove(0, 0, 0); },
         "0, 0 \u00b7 BG 1 grass \u00b7 FG -1 empty \u00b7 selection 40 x 30"},
        {"bottom-right corner, pencil", [](auto& f) { f.Form.ToolMode = TToolMode::Pencil; f.Form.DXDrawMouseMove(0, 639, 479); },
         "39, 29 \u00b7 BG -1 empty \u00b7 FG 60 furnace"},
        {"a shadow", [](auto& f) { f.Form.ToolMode = TToolMode::Fill; f.Form.DXDrawMouseMove(0, 170, 180); },
         "10, 11 \u00b7 BG 17 shadow \u00b7 FG -1 empty \u00b7 shadow 19"},
        {"a code nothing names", [](auto& f) { f.Form.ToolMode = TToolMode::Fill; f.Form.DXDrawMouseMove(0, 330, 90); },
         "20, 5 \u00b7 BG -1 empty \u00b7 FG 300"},
        {"a selection being dragged", [](auto& f) { f.Press(8, 8); f.Form.DXDrawMouseMove(ssLeft, 40, 60); },
         "2, 3 \u00b7 BG -1 empty \u00b7 FG -1 empty \u00b7 selection 3 x 4"},
        {"the selection it made", [](auto& f) { f.Press(8, 8); f.Release(40, 60); },
         "2, 3 \u00b7 BG -1 empty \u00b7 FG -1 empty \u00b7 selection 3 x 4"},
        {"left of the field", [](auto& f) { f.Form.DXDrawMouseMove(ssLeft, -1, 40); }, ""},
        {"below the field", [](auto& f) { f.Form.DXDrawMouseMove(ssLeft, 40, 480); }, ""},
        {"off the display", [](auto& f) { f.Form.DXDrawMouseMove(0, 40, 40); f.Form.DXDrawMouseLeave(); }, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        e.Form.ToolMode = TToolMode::Select;
        e.Form.SelRect = TRect{0, 0, DisplayWidth, DisplayHeight};
        c.Do(e);
        EXPECT_EQ(e.Form.ReadoutText(), c.Text) << c.Where;
        e.Release(0, 0);
    }
}

TEST(Readout, OutlineInTheFrameButNeverInARenderOrARecord)
{
    TPlatformScope platform;
    TFakeHost host;
    TMainForm form(host);
    host.Form = &form;
    form.ClearLayers();
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.BG[5][5] = 1;
    form.ApplyStage(record);
    form.ToolMode = TToolMode::Pencil;
    TMemoryWindow window(DisplayWidth, DisplayHeight);
    form.DXDraw->SetWindow(&window);
    form.DXDraw->Initialize();
    form.DXTimerTimer(0);
    const std::vector<std::uint32_t> plain = window.Pixels;
    StageRecord before;
    form.CaptureStage(before);

    std::uint16_t f2 = VK::F2;
    form.FormKeyDown(f2, 0);
    form.DXDrawMouseMove(0, 5 * 16 + 3, 5 * 16 + 9);
    form.DXTimerTimer(0);
    EXPECT_TRUE(host.ReadoutShown);
    EXPECT_EQ(host.Readout, "5, 5 \u00b7 BG 1 grass \u00b7 FG -1 empty");
    auto at = [](const std::vector<std::uint32_t>& pixels, int x, int y) { return pixels[y * DisplayWidth + x]; };
    EXPECT_EQ(at(window.Pixels, 80, 80), 0x000000u);          // the dark ring
    EXPECT_EQ(at(window.Pixels, 81, 90), 0xFFFFFFu);          // the bright one inside it
    EXPECT_EQ(at(window.Pixels, 88, 88), at(plain, 88, 88));  // the cell itself shows through
    EXPECT_EQ(at(window.Pixels, 96, 80), at(plain, 96, 80));  // and nothing outside the cell changes

    StageRecord after;
    form.CaptureStage(after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    TStageRenderer renderer(std::filesystem::path(testing::TempDir()));
    EXPECT_EQ(renderer.Render(after).Pixels, plain);
}
