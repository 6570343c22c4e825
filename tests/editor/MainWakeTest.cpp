// When the frame timer wakes: the stage's next visible change against frames
// drawn at every millisecond, the reasons to wake at every refresh, and the
// display of an editor that sleeps against one that wakes at every refresh.
#include "engine/DXClass.h"
#include "stage/TileAnimation.h"
#include "support/EngineTestKit.h"
#include "support/ExampleStages.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

// An editor on the empty stage, shown in a memory window.
struct TShownEditor {
    TMemoryWindow Window{DisplayWidth, DisplayHeight};
    TEditorFixture E;

    TShownEditor()
    {
        E.Form.DXDraw->SetWindow(&Window);
        E.Form.DXDraw->Initialize();
        E.ApplyEmpty();
        E.Form.ToolMode = TToolMode::Pencil;  // no overlay of its own
    }
};

// Two editors showing the example stage 0 (picture, ground tiles, the flag)
// on a clock the test turns: Every is drawn by calling its frame directly;
// Timed, made last, has the application's idle handler, its frame timer.
struct TStage0Pair {
    TPlatformScope Platform;
    std::uint32_t Now = 0;
    TManualApplication Application;
    struct THooks {
        THooks(std::uint32_t& now, TManualApplication& application)
        {
            SetTimeGetTimeSource([&now] { return now; });
            SetApplicationHooks(&application);
        }
        ~THooks()
        {
            SetApplicationHooks(nullptr);
            SetTimeGetTimeSource({});
        }
    } Hooks{Now, Application};
    TShownEditor Every, Timed;

    TStage0Pair()
    {
        const StageRecord stage = ExampleRecords().at(0);
        for (TShownEditor* shown : {&Every, &Timed}) {
            shown->E.Form.Document.SetPictureFolder(ExamplesFolder());
            shown->E.Form.ApplyStage(stage);
            shown->E.Form.DXDraw->Restore();
        }
    }
};

// Past the longest wait: every tile schedule repeats within it.
constexpr int Horizon = (AnimationPeriodTicks + 1) * TickMilliseconds;

TEST(FrameWake, TheNextVisibleChangeIsTheNextFrameDrawnAtEveryMillisecond)
{
    TPlatformScope platform;
    // clang-format off
    const struct {
        const char* What;
        int BG, FG;  // the codes of two field cells, -1 for none
        bool Flag, FGShown;
        std::int32_t FirstTick;
        int Gap;  // the first frame's lag, caught up at once
        bool Changes;
    } cases[] = {
        {"ground tiles",                            2, -1, false, true,  0,            1,      true},
        {"ground tiles from mid-period",            2, -1, false, true,  100,          1,      true},
        {"water",                                   5, -1, false, true,  0,            1,      true},
        {"a wall code in BG",                       45, -1, false, true, 0,            1,      true},
        {"animated FG",                             -1, 61, false, true, 0,            1,      true},
        {"animated FG, hidden",                     -1, 61, false, false, 0,           1,      false},
        {"the flag alone",                          -1, -1, true, true,  0,            1,      true},
        {"all three, over the tick counter's wrap", 2, 61, true, true,   INT_MAX - 40, 1,      true},
        {"all three, after ten seconds away",       2, 61, true, true,   0,            10'000, true},
        {"only the ring turns",                     -1, -1, false, true, 0,            1,      false},
        {"a BG code without a pattern",             70, -1, false, true, 0,            1,      false},
    };
    // clang-format on
    for (const auto& c : cases) {
        TShownEditor shown;
        TMainForm& form = shown.E.Form;
        if (c.BG >= 0)
            shown.E.SetBG(3, 3, c.BG);
        if (c.FG >= 0)
            shown.E.SetFG(5, 5, c.FG);
        form.FlagSprite->Visible = c.Flag;
        form.FGLayer->Visible = c.FGShown;
        form.FrameTick = c.FirstTick;
        form.DXTimerTimer(c.Gap);
        for (int change = 0; change < 8; ++change) {
            const std::optional<std::uint32_t> predicted = form.MillisecondsToVisibleChange();
            const int presented = shown.Window.PresentCount;
            int waited = 0;
            while (shown.Window.PresentCount == presented && waited < Horizon) {
                form.DXTimerTimer(1);
                ++waited;
            }
            ASSERT_EQ(predicted.has_value(), c.Changes) << c.What;
            if (!c.Changes) {
                EXPECT_EQ(shown.Window.PresentCount, presented) << c.What;
                break;
            }
            ASSERT_EQ(*predicted, static_cast<std::uint32_t>(waited)) << c.What << ", change " << change;
        }
    }
}

TEST(FrameWake, InputAndTheStatusLinesWakeAtEveryRefresh)
{
    TPlatformScope platform;
    const struct {
        const char* What;
        std::function<void(TEditorFixture&)> Do;
        bool UntilTheNextFrame;  // else for as long as it lasts
    } reasons[] = {
        {"the mouse pressed", [](auto& e) { e.Press(40, 40); }, false},
        {"the pointer moving", [](auto& e) { e.Form.DXDrawMouseMove(0, 40, 40); }, true},
        {"the pointer leaving", [](auto& e) { e.Form.DXDrawMouseLeave(); }, true},
        {"a key", [](auto& e) { e.Key(VK::Left); }, true},
        {"the status lines", [](auto& e) { e.Form.ShowStatus = true; }, false},
        {"the 60 FPS time mode", [](auto& e) { e.Form.SetTimeMode60(true); }, false},
    };
    for (const auto& r : reasons) {
        TShownEditor shown;
        TMainForm& form = shown.E.Form;
        form.DXTimerTimer(1);
        EXPECT_FALSE(form.WakesEveryRefresh()) << r.What;
        r.Do(shown.E);
        EXPECT_TRUE(form.WakesEveryRefresh()) << r.What;
        form.DXTimerTimer(1);
        EXPECT_EQ(form.WakesEveryRefresh(), !r.UntilTheNextFrame) << r.What;
    }
}

// The example stage 0 (picture, ground tiles, the flag) in two editors for
// twenty seconds at 60 refreshes a second, with a pencil stroke on both: one
// drawn at every refresh, the other called through its frame timer only when
// its last answer asked to be woken by then, or input came.
TEST(FrameWake, TheDisplayAfterSleepingIsTheDisplayWakingAtEveryRefresh)
{
    TStage0Pair pair;
    std::uint32_t& now = pair.Now;
    TManualApplication& application = pair.Application;
    TShownEditor &every = pair.Every, &sleeper = pair.Timed;
    std::optional<std::uint32_t> wake = 0;
    int calls = 0;
    for (int refresh = 1; refresh <= 20 * 60; ++refresh) {
        const std::uint32_t before = now;
        now = static_cast<std::uint32_t>(refresh * 1000 / 60);
        const int step = refresh - 600;
        const bool input = step >= 0 && step <= 30;
        for (TShownEditor* shown : {&every, &sleeper}) {
            TEditorFixture& e = shown->E;
            if (step == 0)
                e.Press(e.Px(5), e.Px(5));
            else if (step > 0 && step < 30)
                e.Move(e.Px(5 + step), e.Px(5));
            else if (step == 30)
                e.Release(e.Px(34), e.Px(5));
        }
        every.E.Form.DXTimerTimer(static_cast<int>(now - before));
        if (input || (wake && now >= *wake)) {
            const TIdleAnswer answer = application.RunIdle();
            ++calls;
            wake = !answer.Done       ? std::optional(now + 1)
                   : answer.WakeAfter ? std::optional(now + static_cast<std::uint32_t>(answer.WakeAfter->count()))
                                      : std::nullopt;
        }
        ASSERT_TRUE(every.Window.Pixels == sleeper.Window.Pixels) << "refresh " << refresh;
    }
    EXPECT_LT(calls, 20 * 12 + 31) << "about eight a second, and every refresh of the stroke";
}

// A minimised window for an hour: nothing is drawn, the timer wakes once a
// minute; shown again, the first frame is the one drawn at every refresh.
TEST(FrameWake, AnUnseenDisplayIsNotDrawnAndWakesOnceAMinute)
{
    TStage0Pair pair;
    std::uint32_t& now = pair.Now;
    TManualApplication& application = pair.Application;
    TShownEditor &every = pair.Every, &unseen = pair.Timed;
    unseen.E.Host.Seen = false;
    const std::vector<std::uint32_t> before = unseen.Window.Pixels;
    for (int minute = 0; minute <= 60; ++minute) {
        now = 16 + static_cast<std::uint32_t>(minute) * 60'000;
        every.E.Form.DXTimerTimer(minute == 0 ? 16 : 60'000);
        const TIdleAnswer answer = application.RunIdle();
        ASSERT_TRUE(answer.Done && answer.WakeAfter == std::chrono::milliseconds(60'000)) << minute;
    }
    EXPECT_TRUE(unseen.Window.Pixels == before);
    unseen.E.Host.Seen = true;
    now += 500;
    every.E.Form.DXTimerTimer(500);
    application.RunIdle();  // as the message that shows the window
    EXPECT_TRUE(unseen.Window.Pixels == every.Window.Pixels);
}

}  // namespace
