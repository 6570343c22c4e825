// Frame pacing: when the idle loop starts the next frame, the lead it takes
// from the recent frames' costs, and the two together with the display's
// vertical-blank wait on a simulated clock: one frame per refresh until a
// frame no longer fits in one, then one frame per frame time.
#include "platform/FramePacing.h"
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

TEST(FramePacing, TheTimerNeverFiresBeforeTheStart)
{
    // A fraction of a millisecond before the start is one more millisecond,
    // not an immediate call that would count as a millisecond of lag.
    EXPECT_EQ(FramePacing::TimerDelay(10ms, 10ms + 300us), 1ms);
    EXPECT_EQ(FramePacing::TimerDelay(10ms, 13ms + 1ns), 4ms);
    EXPECT_EQ(FramePacing::TimerDelay(10ms, 13ms), 3ms);
    EXPECT_EQ(FramePacing::TimerDelay(10ms, 10ms), 0ms);
    EXPECT_EQ(FramePacing::TimerDelay(10ms, 9ms), 0ms) << "a start already passed is now";
}

TEST(FramePacing, NextStartAimsAtTheComingBlank)
{
    const nanoseconds period = 16ms;  // blanks at 0, 16, 32, 48 ms
    const struct {
        const char* Case;
        nanoseconds Now, Lead;
        bool Presented;
        nanoseconds Start;
    } cases[] = {
        {"just shown: start lead before the next blank", 17ms, 3ms, true, 29ms},
        {"no lead: at the blank itself", 17ms, 0ms, true, 32ms},
        {"exactly at a blank: the next one", 32ms, 3ms, true, 45ms},
        {"too late for the lead but frames are coming: at once", 30ms, 3ms, true, 30ms},
        {"a lead over one period counts as one period", 17ms, 40ms, true, 17ms},
        {"nothing shown: same aim when still in time", 17ms, 3ms, false, 29ms},
        {"nothing shown and too late: the blank after, no spinning", 30ms, 3ms, false, 45ms},
        {"nothing shown, lead of a whole period: the next blank", 17ms, 16ms, false, 32ms},
        {"nothing shown, called right at its start: the blank after", 29ms, 3ms, false, 45ms},
        {"a clock before its epoch", -5ms, 3ms, true, -3ms},
        {"a negative lead counts as none", 17ms, -4ms, true, 32ms},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FramePacing::NextStart(c.Now, period, c.Lead, c.Presented), c.Start) << c.Case;
    EXPECT_EQ(FramePacing::NextStart(17ms, 0ms, 3ms, false), 17ms) << "no refresh known";
}

TEST(FramePacing, LeadIsTheMedianRecentCostPlusTheMargin)
{
    const nanoseconds period = 16ms;
    TFrameCost cost;
    EXPECT_EQ(cost.Lead(period), FramePacing::Margin) << "no frames yet";
    for (int i = 0; i < 14; ++i)
        cost.Add(5ms);
    EXPECT_EQ(cost.Lead(period), FramePacing::Margin) << "over half the window still empty";
    cost.Add(5ms);
    EXPECT_EQ(cost.Lead(period), 5ms + FramePacing::Margin);
    cost.Add(40ms);
    EXPECT_EQ(cost.Lead(period), 5ms + FramePacing::Margin) << "one slow frame does not move it";
    for (int i = 0; i < 30; ++i)
        cost.Add(1ms);
    EXPECT_EQ(cost.Lead(period), 1ms + FramePacing::Margin) << "quick frames bring it down";
    for (int i = 0; i < 15; ++i)
        cost.Add(30ms);
    EXPECT_EQ(cost.Lead(period), period) << "at most one period";
    for (int i = 0; i < 30; ++i)
        cost.Add(-3ms);
    EXPECT_EQ(cost.Lead(period), FramePacing::Margin) << "a negative cost counts as none";
}

TEST(FramePacing, AFrameIsDueWhenItsCallWasSetToStart)
{
    const nanoseconds period = 16ms;
    TFramePacer pacer;
    pacer.CallStarted(5ms);
    EXPECT_EQ(VerticalBlankRecord().FrameDue, 5ms) << "no start given: due now";
    pacer.CallEnded();
    EXPECT_EQ(pacer.NextStart(17ms, period), 30ms);
    pacer.CallStarted(40ms);
    EXPECT_EQ(VerticalBlankRecord().FrameDue, 30ms) << "its timer fired late, after the blank it aimed at";
    pacer.CallEnded();
    pacer.NextStart(41ms, period);
    pacer.CallStarted(41ms - 1us);
    EXPECT_EQ(VerticalBlankRecord().FrameDue, 41ms - 1us) << "called before its start";
    pacer.CallEnded();
    pacer.CallStarted(50ms);
    EXPECT_EQ(VerticalBlankRecord().FrameDue, 50ms) << "the start given is used once";
    NoteFrameDue(std::nullopt);
}

// A handler that sleeps is woken by the first call that a call at every
// refresh would make at its wake or after; a message brings its call in time
// for the coming blank, or at once, never later than a start already given.
TEST(FramePacing, ASleepingHandlerIsCalledWhereACallAtEveryRefreshWouldBe)
{
    const nanoseconds period = 16ms;  // no frame costs yet, a lead of the margin: starts at 14, 30, 46 ms
    TFramePacer pacer;
    EXPECT_EQ(pacer.WakeStart(20ms, period), 30ms);
    EXPECT_EQ(pacer.WakeStart(30ms, period), 30ms) << "a wake right at a start";
    EXPECT_EQ(pacer.WakeStart(30ms + 1us, period), 46ms);
    EXPECT_EQ(pacer.MessageStart(17ms, period), 30ms) << "sooner than the wake";
    EXPECT_EQ(pacer.MessageStart(20ms, period), 30ms);
    pacer.CallStarted(30ms);
    pacer.CallEnded();
    EXPECT_EQ(pacer.MessageStart(47ms, period), 47ms) << "too near its blank to wait for the start";
    NoteFrameDue(std::nullopt);
}

// The idle loop of the editor on a clock that only moves when told: each
// call starts when the pacer says (on a timer of whole milliseconds), and
// every `drawEvery`-th call draws a frame, which takes `work`, and waits for
// its blank in the display; the others find nothing changed and show
// nothing. Counts, in the second simulated second, the calls (the frame
// timer's ticks), the frames shown and those shown after their blank began.
struct TSimulation {
    int Calls = 0;
    int Shown = 0;
    int Late = 0;
};

TSimulation Simulate(nanoseconds work, int drawEvery = 1)
{
    TPlatformScope platform;
    auto& clock = platform.Clock;
    clock.NowNs = 0;
    std::unique_ptr<IDirectDraw4> draw;
    EXPECT_EQ(DirectDrawCreate(nullptr, draw), DD_OK);
    const nanoseconds period(1'000'000'000LL / 60);
    TFramePacer pacer;
    TSimulation result;
    for (int call = 0; clock.NowNs < 2'000'000'000LL; ++call) {
        const nanoseconds now(clock.NowNs);
        clock.NowNs += FramePacing::TimerDelay(now, pacer.NextStart(now, period)).count() * 1'000'000LL;
        const bool counted = clock.NowNs >= 1'000'000'000LL && clock.NowNs < 2'000'000'000LL;
        pacer.CallStarted(nanoseconds(clock.NowNs));
        if (call % drawEvery == 0) {
            clock.NowNs += work.count();
            draw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        } else {
            clock.NowNs += 20'000;  // comparing the frame with the last one
        }
        const bool shown = pacer.CallEnded();
        if (counted) {
            ++result.Calls;
            result.Shown += shown;
            result.Late += shown && clock.NowNs % period.count() != 0;
        }
    }
    NoteFrameDue(std::nullopt);
    return result;
}

TEST(FramePacing, TheRateHoldsTheRefreshUntilAFrameDoesNotFit)
{
    const struct {
        nanoseconds Work;
        int Fps;
        bool AllOnTheirBlank;
    } cases[] = {
        {0ms, 60, true},  {3ms, 60, true},   {5ms, 60, true},   {8ms, 60, true},   {12ms, 60, true},
        {16ms, 60, true}, {20ms, 50, false}, {25ms, 40, false}, {40ms, 25, false},
    };
    for (const auto& c : cases) {
        const TSimulation s = Simulate(c.Work);
        EXPECT_NEAR(s.Shown, c.Fps, 1) << c.Work.count() / 1'000'000 << " ms of work";
        if (c.AllOnTheirBlank) {
            EXPECT_EQ(s.Late, 0) << c.Work.count() / 1'000'000 << " ms of work";
        }
    }
}

// Most frames of a stage nobody touches equal the last and are not drawn.
// The calls still come once per refresh, so the frame timer's rate reads the
// refresh rate, and a frame drawn after such calls is shown at its blank.
// (A drawn frame costs well under a millisecond.)
TEST(FramePacing, CallsComeOncePerRefreshWhenFramesAreSkipped)
{
    for (const int drawEvery : {2, 3, 4, 21, 1000}) {
        const TSimulation s = Simulate(1ms, drawEvery);
        EXPECT_NEAR(s.Calls, 60, 1) << "one frame in " << drawEvery << " drawn";
        EXPECT_LE(s.Calls, 60) << "one frame in " << drawEvery << " drawn";
        EXPECT_NEAR(s.Shown, 60 / drawEvery, 1) << "one frame in " << drawEvery << " drawn";
        EXPECT_EQ(s.Late, 0) << "one frame in " << drawEvery << " drawn";
    }
}

}  // namespace
