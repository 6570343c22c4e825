// The frame timer on an injected millisecond clock and a hand-driven application.
#include "engine/DXClass.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TimerTest : testing::Test {
    TManualApplication App;
    std::uint32_t Now = 1000;
    TDXTimer Timer{&App, [this] { return Now; }};
    std::vector<int> Lags;

    TimerTest()
    {
        Timer.BeginLoading();
        Timer.ActiveOnly = false;
        Timer.SetInterval(0);
        Timer.OnTimer = [this](TDXTimer&, int lag) { Lags.push_back(lag); };
        Timer.Loaded();
    }
    void Idle(std::uint32_t advance = 0)
    {
        Now += advance;
        EXPECT_FALSE(App.RunIdle().Done) << "the tick asks to run again unless told to sleep";
    }
};

TEST_F(TimerTest, IntervalZeroTicksOnEveryIdleCall)
{
    Idle();
    Idle();
    Idle(7);
    EXPECT_EQ(Lags, (std::vector<int>{1, 1, 7}));
}

TEST_F(TimerTest, IntervalSixteenCountsWholeUnitsAndWaits)
{
    Timer.SetInterval(16);
    Idle(50);
    EXPECT_EQ(Lags, std::vector<int>{3});
    Idle(15);
    EXPECT_EQ(Lags.size(), 1u) << "not due before 16 ms";
    Idle(1);
    EXPECT_EQ(Lags, (std::vector<int>{3, 1}));
}

TEST_F(TimerTest, MaxLagOnlyRecordsTheLargestLag)
{
    Timer.MaxLag = 100;
    Idle(250);
    EXPECT_EQ(Lags, std::vector<int>{250});
    EXPECT_EQ(Timer.MaxLag, 250);
}

TEST_F(TimerTest, RestartingResetsTheClockValues)
{
    Idle(5);
    Timer.SetEnabled(false);
    EXPECT_FALSE(static_cast<bool>(App.Idle));
    Now += 500;
    Timer.SetEnabled(true);
    Idle(3);
    EXPECT_EQ(Lags, (std::vector<int>{5, 3}));
    // Setting the same value again restarts nothing.
    Now += 10;
    Timer.SetEnabled(true);
    Idle();
    EXPECT_EQ(Lags.back(), 10);
}

TEST_F(TimerTest, FramesPerSecondIsMeasuredOverWholeSeconds)
{
    for (int i = 0; i < 99; ++i) {
        Idle(10);
        EXPECT_EQ(Timer.FramesPerSecond(), 0);
    }
    Idle(10);  // the window closes at 1000 ms: 100 ticks
    EXPECT_EQ(Timer.FramesPerSecond(), 100);
    Idle(1500);
    EXPECT_EQ(Timer.FramesPerSecond(), 1);  // one tick over 1.5 s rounds to 1
}

// The handler may let the application sleep after its tick; the tick after
// a sleep counts the refreshes (60 a second here) slept through.
TEST_F(TimerTest, ATickMayLetTheApplicationSleep)
{
    Timer.OnTimer = [](TDXTimer& timer, int lag) {
        if (lag >= 100)
            timer.SleepFor(lag == 100 ? std::nullopt : std::optional<std::uint32_t>(lag));
    };
    Now += 100;
    TIdleAnswer answer = App.RunIdle();
    EXPECT_TRUE(answer.Done);
    EXPECT_FALSE(answer.WakeAfter) << "until a message comes";
    Now += 500;
    answer = App.RunIdle();
    EXPECT_TRUE(answer.Done);
    EXPECT_EQ(answer.WakeAfter, std::chrono::milliseconds(500));
    Now += 400;  // 1000 ms after the start: 1 + 30 + 24 ticks counted
    App.RunIdle();
    EXPECT_EQ(Timer.FramesPerSecond(), 55);
    Idle(5);  // the next tick that does not ask to sleep runs at once again
}

TEST_F(TimerTest, ActivationRaisesEventsAndOnlyMovesActiveOnlyTimers)
{
    int activated = 0, deactivated = 0;
    Timer.OnActivate = [&](TDXTimer&) { ++activated; };
    Timer.OnDeactivate = [&](TDXTimer&) { ++deactivated; };
    App.SetActive(false);
    EXPECT_EQ(deactivated, 1);
    EXPECT_TRUE(static_cast<bool>(App.Idle)) << "ActiveOnly false keeps ticking";
    Timer.ActiveOnly = true;
    App.SetActive(true);
    App.SetActive(false);
    EXPECT_FALSE(static_cast<bool>(App.Idle));
    App.SetActive(true);
    EXPECT_TRUE(static_cast<bool>(App.Idle));
    EXPECT_EQ(activated, 2);
}

TEST(Timer, DestroyingUnhooksTheIdleHandler)
{
    TManualApplication app;
    {
        TDXTimer timer(&app, [] { return 0u; });
        timer.Loaded();
        EXPECT_TRUE(static_cast<bool>(app.Idle));
    }
    EXPECT_FALSE(static_cast<bool>(app.Idle));
    app.SetActive(false);  // no listener left behind
}

}  // namespace
