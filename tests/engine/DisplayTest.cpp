// The display component: effective options, the order of notifications and
// events, partners registered late, presenting, and repair after lost memory.
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using enum TDXDrawOption;

struct TLog {
    std::vector<std::string> Lines;
    void Add(std::string line) { Lines.push_back(std::move(line)); }
};

const char* NotifyName(TDXDrawNotifyType type)
{
    static const char* names[] = {"destroying", "initializing",     "initialize", "initialize-surface",
                                  "finalize",   "finalize-surface", "restore",    "set-surface-size"};
    return names[static_cast<int>(type)];
}

struct TRecorder : TDXDrawNotifyTarget {
    TRecorder(TLog& log, std::string name) : Log(log), Name(std::move(name)) {}
    void DXDrawNotify(TDXDraw&, TDXDrawNotifyType type) override { Log.Add(Name + ":" + NotifyName(type)); }
    TLog& Log;
    std::string Name;
};

struct DisplayTest : testing::Test {
    TPlatformScope Platform;
    TLog Log;
    TMemoryWindow Window{640, 480, TPoint{100, 50}};
    TDXDraw Display{&Window};

    DisplayTest()
    {
        Display.AutoSize = false;
        Display.SurfaceWidth = 640;
        Display.SurfaceHeight = 480;
        Display.SetOptions(TDXDrawOptions{doNoWindowChange, doWaitVBlank, doFlip, doHardware});
        Display.OnInitializing = [this] { Log.Add("OnInitializing"); };
        Display.OnInitialize = [this] { Log.Add("OnInitialize"); };
        Display.OnInitializeSurface = [this] { Log.Add("OnInitializeSurface"); };
        Display.OnFinalize = [this] { Log.Add("OnFinalize"); };
        Display.OnFinalizeSurface = [this] { Log.Add("OnFinalizeSurface"); };
        Display.OnRestoreSurface = [this] { Log.Add("OnRestoreSurface"); };
    }
};

TEST(DisplayOptions, EffectiveOptionsFollowTheRules)
{
    const struct {
        TDXDrawOptions Options, Effective;
    } cases[] = {
        {{doNoWindowChange, doWaitVBlank, doFlip, doHardware}, {doWaitVBlank}},
        {{doAllowReboot, doWaitVBlank, doCenter, doHardware, doRetainedMode, doSelectDriver, doRGB, doMono, doDither},
         {doWaitVBlank, doCenter}},
        {{doFullScreen, doFlip, doAllowPalette256}, {doFullScreen, doFlip, doAllowPalette256}},
        {{doFullScreen, doFlip, doSystemMemory}, {doFullScreen, doSystemMemory}},
        {{do3D, doHardware, doRGB, doZBuffer}, {do3D, doRGB, doZBuffer}},
    };
    TDXDraw display;
    for (const auto& c : cases) {
        display.SetOptions(c.Options);
        EXPECT_EQ(display.NowOptions().Mask, c.Effective.Mask) << c.Options.Mask;
    }
    EXPECT_EQ(TDXDrawOptions{doDither}.Mask, 1u << 16);
}

TEST_F(DisplayTest, InitialisationTellsPartnersAndEventsInOrder)
{
    TRecorder first(Log, "first"), second(Log, "second");
    Display.RegisterNotifyEvent(&first);
    Display.RegisterNotifyEvent(&second);
    Display.Initialize();
    EXPECT_TRUE(Display.Initialized());
    EXPECT_STREQ(Display.DriverName(), "TDXDrawDriverBlt");
    EXPECT_EQ(Display.NowOptions().Mask, TDXDrawOptions{doWaitVBlank}.Mask);
    // clang-format off
    const std::vector<std::string> expected{
        "first:set-surface-size", "second:set-surface-size",  // at registration
        "OnInitializing", "second:initializing", "first:initializing",
        "second:set-surface-size", "first:set-surface-size",
        "second:initialize", "first:initialize", "OnInitialize",
        "second:initialize-surface", "first:initialize-surface", "OnInitializeSurface",
        "second:restore", "first:restore", "OnRestoreSurface"};
    // clang-format on
    EXPECT_EQ(Log.Lines, expected);

    Log.Lines.clear();
    Display.Finalize();
    const std::vector<std::string> finalised{"OnFinalizeSurface", "second:finalize-surface", "first:finalize-surface",
                                             "OnFinalize",        "second:finalize",         "first:finalize"};
    EXPECT_EQ(Log.Lines, finalised);
    EXPECT_FALSE(Display.Initialized());
    EXPECT_EQ(Display.Surface(), nullptr);
    Display.UnRegisterNotifyEvent(&first);
    Display.UnRegisterNotifyEvent(&second);
}

TEST_F(DisplayTest, PartnerRegisteredLateCatchesUp)
{
    Display.Initialize();
    TRecorder late(Log, "late");
    Log.Lines.clear();
    Display.RegisterNotifyEvent(&late);
    EXPECT_EQ(Log.Lines, (std::vector<std::string>{"late:set-surface-size", "late:initialize", "late:restore"}));
    Log.Lines.clear();
    Display.UnRegisterNotifyEvent(&late);
    EXPECT_EQ(Log.Lines, std::vector<std::string>{"late:finalize"});
}

TEST_F(DisplayTest, PartnerRegisteredDuringInitialiseGetsNoRestoreOfItsOwn)
{
    TRecorder late(Log, "late");
    Display.OnInitialize = [&] { Display.RegisterNotifyEvent(&late); };
    Display.Initialize();
    const auto count = std::count(Log.Lines.begin(), Log.Lines.end(), "late:restore");
    EXPECT_EQ(count, 1);
    Display.UnRegisterNotifyEvent(&late);
}

TEST_F(DisplayTest, FailuresFinaliseAndCarryTheirMessages)
{
    TDXDraw orphan;
    try {
        orphan.Initialize();
        FAIL();
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    DisplayPlatformSettings().FailCreate = true;
    try {
        Display.Initialize();
        FAIL();
    } catch (const EDirectDrawError& e) {
        EXPECT_STREQ(e.what(), "DirectDraw cannot be initialized");
    }
    EXPECT_FALSE(Display.Initialized());
    EXPECT_FALSE(Display.CanDraw());
    DisplayPlatformSettings().FailCreate = false;
    Display.SetOptions(TDXDrawOptions{doFullScreen});
    try {
        Display.Initialize();
        FAIL();
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Display mode cannot be changed (640x480 8bit)");
    }
    EXPECT_FALSE(Display.Initialized());
}

TEST_F(DisplayTest, FlipWaitsForTheVerticalBlankAndPresentsIntoTheWindow)
{
    Display.Initialize();
    ASSERT_TRUE(Display.CanDraw());
    Display.Surface()->FillRect(TRect{0, 0, 640, 480}, 0x204060);
    Display.Surface()->FillRect(TRect{10, 20, 11, 21}, 0xFFFFFF);
    const int sleeps = Platform.Clock.SleepCount;
    Display.Flip();
    ASSERT_EQ(Platform.Clock.SleepCount, sleeps + 1);
    // The next 60 Hz boundary after 5 ms.
    EXPECT_EQ(Platform.Clock.LastSleep, 1'000'000'000LL / 60);
    EXPECT_EQ(Window.Pixel(0, 0), 0x204060u);
    EXPECT_EQ(Window.Pixel(10, 20), 0xFFFFFFu);
    EXPECT_EQ(Window.Pixel(639, 479), 0x204060u);
    // Painting presents without waiting.
    Display.Paint();
    EXPECT_EQ(Platform.Clock.SleepCount, sleeps + 1);
}

TEST_F(DisplayTest, LostSurfacesAreRepairedByTheNextCanDraw)
{
    TDXImageList images;
    TPictureCollectionItem& item = images.Items.Add();
    item.SetName("Tiles");
    item.Picture = MakeDib(CheckerSpec(32, 16, 16, {0x00FF00, 0xF800F8}));
    item.PatternWidth = 16;
    item.PatternHeight = 16;
    item.TransparentColor = RGBColor(248, 0, 248);
    images.SetDXDraw(&Display);
    Display.Initialize();
    ASSERT_EQ(item.PatternCount(), 2);
    Log.Lines.clear();

    Display.DDraw()->IDraw()->LoseAllSurfaces();
    EXPECT_TRUE(Display.CanDraw());
    EXPECT_EQ(Log.Lines, std::vector<std::string>{"OnRestoreSurface"});
    // The pattern surfaces were built again from the picture.
    EXPECT_EQ(item.PatternSurface(0)->Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(Display.Surface()->Pixel(5, 5), 0u);

    Display.DDraw()->IDraw()->RefuseRestore = true;
    Display.DDraw()->IDraw()->LoseAllSurfaces();
    EXPECT_FALSE(Display.CanDraw());
    Display.DDraw()->IDraw()->RefuseRestore = false;
    EXPECT_TRUE(Display.CanDraw());
    images.SetDXDraw(nullptr);
}

TEST_F(DisplayTest, DestroyingTheDisplayMakesPartnersForgetIt)
{
    auto display = std::make_unique<TDXDraw>(&Window);
    TDXImageList images;
    images.SetDXDraw(display.get());
    display->Initialize();
    display.reset();
    EXPECT_EQ(images.DXDraw(), nullptr);
    EXPECT_FALSE(images.Items.Initialized());
}

TEST_F(DisplayTest, AutoInitializeRunsOnTheFirstShowOnly)
{
    int initialised = 0;
    Display.OnInitialize = [&] { ++initialised; };
    Display.FormShown();
    Display.FormCloseQuery();
    Display.FormShown();
    EXPECT_EQ(initialised, 1);
    EXPECT_FALSE(Display.Initialized());
}

}  // namespace
