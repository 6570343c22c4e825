// The display on a desktop of several screens: frames reach the window
// wherever it is on the virtual desktop (left of or above 0, across two
// screens), only the part on the desktop is shown, and a changed desktop is
// taken up when the surfaces are restored. Also the vertical-blank wait that
// answers a late frame at once.
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

using enum TDXDrawOption;

constexpr std::uint32_t Frame = 0x204060;

struct TDesktop {
    int Left, Top, Width, Height;
};

struct DesktopTest : testing::Test {
    TPlatformScope Platform;
    TMemoryWindow Window{640, 480};
    TDXDraw Display{&Window};
    int Restores = 0;

    DesktopTest()
    {
        Display.AutoSize = false;
        Display.SurfaceWidth = 640;
        Display.SurfaceHeight = 480;
        Display.SetOptions(TDXDrawOptions{doNoWindowChange, doWaitVBlank, doFlip, doHardware});
        Display.OnRestoreSurface = [this] { ++Restores; };
    }

    static void SetDesktop(const TDesktop& d)
    {
        auto& s = DisplayPlatformSettings();
        s.ScreenLeft = d.Left;
        s.ScreenTop = d.Top;
        s.ScreenWidth = d.Width;
        s.ScreenHeight = d.Height;
    }

    // Draws a frame of one colour and flips it; the window starts black.
    void ShowFrame()
    {
        std::fill(Window.Pixels.begin(), Window.Pixels.end(), 0u);
        ASSERT_TRUE(Display.CanDraw());
        Display.Surface()->Fill(Frame);
        Display.Flip();
    }

    int ShownColumns(int row) const
    {
        int shown = 0;
        for (int x = 0; x < Window.Width; ++x)
            shown += Window.Pixel(x, row) == Frame;
        return shown;
    }
};

TEST_F(DesktopTest, FramesReachTheWindowAnywhereOnTheDesktop)
{
    const struct {
        const char* Where;
        TDesktop Desktop;
        TPoint Origin;
        int FirstShown, LastShown;  // client columns shown, on every row
    } cases[] = {
        {"primary at the origin", {0, 0, 1920, 1080}, {640, 300}, 0, 639},
        {"second screen on the right", {0, 0, 3840, 1080}, {2500, 200}, 0, 639},
        {"across two screens", {0, 0, 3840, 1080}, {1600, 300}, 0, 639},
        {"screen left of and above the primary", {-1280, -400, 3200, 1480}, {-1000, -300}, 0, 639},
        {"primary not at the desktop's corner", {-1920, 0, 3840, 1080}, {100, 100}, 0, 639},
        {"half off the desktop's left edge", {-1280, 0, 3200, 1080}, {-1600, 100}, 320, 639},
        {"half off the desktop's right edge", {0, 0, 1920, 1080}, {1600, 100}, 0, 319},
    };
    for (const auto& c : cases) {
        SetDesktop(c.Desktop);
        Window.Origin = c.Origin;
        Display.Initialize();
        ShowFrame();
        for (const int row : {0, 240, 479}) {
            EXPECT_EQ(ShownColumns(row), c.LastShown - c.FirstShown + 1) << c.Where << ", row " << row;
            EXPECT_EQ(Window.Pixel(c.FirstShown, row), Frame) << c.Where;
            EXPECT_EQ(Window.Pixel(c.LastShown, row), Frame) << c.Where;
        }
        Display.Finalize();
    }
}

TEST_F(DesktopTest, ChangedScreensAreTakenUpWhenTheSurfacesAreRestored)
{
    // The window sits where a second screen will be plugged in.
    SetDesktop({0, 0, 1920, 1080});
    Window.Origin = TPoint{2200, 100};
    Display.Initialize();
    ShowFrame();
    EXPECT_EQ(ShownColumns(0), 0) << "off the desktop";

    const struct {
        const char* Change;
        TDesktop Desktop;
        int Shown;
    } changes[] = {
        {"screen added on the right", {0, 0, 3840, 1080}, 640},
        {"screens rearranged: the second one left of the primary", {-1920, 0, 3840, 1080}, 0},
        {"screen moved back to the right", {0, 0, 3840, 1080}, 640},
        {"screen resized", {0, 0, 2520, 1080}, 320},
        {"screen removed", {0, 0, 1920, 1080}, 0},
    };
    for (const auto& c : changes) {
        SetDesktop(c.Desktop);
        const int restoresBefore = Restores;
        Display.DDraw()->IDraw()->DisplayChanged(DisplayPlatformSettings());
        ShowFrame();
        EXPECT_EQ(Restores, restoresBefore + 1) << c.Change;
        TDDSurfaceDesc desc;
        Display.Primary()->ISurface()->GetSurfaceDesc(desc);
        EXPECT_EQ(Bounds(desc.Left, desc.Top, desc.Width, desc.Height),
                  Bounds(c.Desktop.Left, c.Desktop.Top, c.Desktop.Width, c.Desktop.Height))
            << c.Change;
        EXPECT_EQ(ShownColumns(10), c.Shown) << c.Change;
    }
}

TEST(VerticalBlank, ALateFrameIsShownAtOnceAndOnlyOncePerBlank)
{
    TPlatformScope platform;  // 60 Hz; the clock stands at 5 ms
    const std::int64_t period = 1'000'000'000LL / 60;
    auto& clock = platform.Clock;
    std::unique_ptr<IDirectDraw4> draw;
    ASSERT_EQ(DirectDrawCreate(nullptr, draw), DD_OK);
    const std::uint64_t waitsBefore = VerticalBlankRecord().Waits;

    constexpr std::int64_t Unknown = -1;
    const struct {
        const char* Step;
        std::int64_t Due;     // when the frame was due to start, as the idle loop says
        std::int64_t Now;     // when the wait is asked for
        std::int64_t Answer;  // when it returns
    } steps[] = {
        {"on time: waits for the next blank", Unknown, 6'000'000, period},
        {"again within the same refresh: waits for the one after", Unknown, period + 1'000'000, 2 * period},
        {"3 ms late for blank 3: at once", Unknown, 3 * period + 3'000'000, 3 * period + 3'000'000},
        {"blank 3 is taken: waits for blank 4", Unknown, 3 * period + 4'000'000, 4 * period},
        {"after a pause, not knowing when the frame was due: at once", Unknown, 9 * period + 15'000'000,
         9 * period + 15'000'000},
        {"after a pause, a frame due after the last blank: the next blank", 12 * period + 2'000'000,
         12 * period + 5'000'000, 13 * period},
        {"after a pause, a frame due before a blank it missed: at once", 19 * period + 14'000'000,
         20 * period + 1'000'000, 20 * period + 1'000'000},
        {"due before blank 20, which is taken: the next blank", 19 * period + 15'000'000, 20 * period + 2'000'000,
         21 * period},
    };
    for (const auto& s : steps) {
        NoteFrameDue(s.Due == Unknown ? std::nullopt : std::optional(std::chrono::nanoseconds(s.Due)));
        clock.NowNs = s.Now;
        EXPECT_EQ(draw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
        EXPECT_EQ(clock.NowNs, s.Answer) << s.Step;
        EXPECT_EQ(VerticalBlankRecord().LastAsked.count(), s.Now) << s.Step;
    }
    NoteFrameDue(std::nullopt);
    EXPECT_EQ(VerticalBlankRecord().Waits, waitsBefore + std::size(steps));
}

}  // namespace
