#pragma once
// Frame pacing for the idle loop: when to start the next frame so that it is
// drawn just before the vertical blank it is shown at. Starting no earlier
// than that leaves the time before it to input, so an edit is in the very
// next frame; starting earlier by what frames have recently cost keeps one
// frame per refresh until a frame truly does not fit in one. Blanks are
// numbered on the display's clock: blank n starts at n * period.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace FramePacing {

// Added to the measured cost: the idle loop's timer fires within a
// millisecond or so of when it was asked to, and frames vary.
constexpr std::chrono::nanoseconds Margin = std::chrono::milliseconds(2);

// When to start the next frame, at `now` after the last one. `lead` is how
// long before its blank a frame must start (taken as 0 .. period). When the
// last call showed a frame and the next one cannot start in time for the
// coming blank, it starts at once (the display shows it as soon as it is
// ready); when the last call showed nothing (nothing to draw), the next start
// is after now, aimed at a later blank than the last call was, so an idle
// loop with nothing to draw neither spins nor calls twice for one blank.
std::chrono::nanoseconds NextStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period,
                                   std::chrono::nanoseconds lead, bool presented);

// The idle loop's timer counts whole milliseconds: the wait from `now` until
// `start`, rounded up. Rounded down, the last fraction of a millisecond
// before the start would call the handler again and again at once, and the
// frame timer counts every call as at least one millisecond of lag, so the
// stage's clock (the tile animation) would run fast.
std::chrono::milliseconds TimerDelay(std::chrono::nanoseconds now, std::chrono::nanoseconds start);

}  // namespace FramePacing

// The recent frames' costs: from a frame's start to its asking to be shown.
class TFrameCost {
public:
    void Add(std::chrono::nanoseconds cost);
    // How long before its blank the next frame should start: the median of
    // the recent costs plus the margin, at most one period. The median, not
    // the largest: a frame that comes late is shown as soon as it is ready
    // (the display's blank wait), so a rare slow frame costs a little delay
    // once, while a lead raised by it would delay every frame after it.
    std::chrono::nanoseconds Lead(std::chrono::nanoseconds period) const;

private:
    // About half a second of frames: the lead follows a change of cost
    // within a quarter of a second.
    std::array<std::chrono::nanoseconds, 30> FCosts{};
    std::size_t FNext = 0;
};

// The idle loop's side of pacing a handler that runs frames: between calls it
// says when to start the next; around each call it tells the display when the
// frame was due to start and learns from the display's blank waits whether the
// call showed a frame and what the frame cost. Every call aims at a later
// blank than the one before, and a frame due after a blank is shown at the
// next, so calls (the frame timer's ticks) come at most once per refresh. A
// call whose timer fired late is still due when it was set to start: its
// frame is late for its blank and shown at once. Times are on the clock the
// display waits on.
class TFramePacer {
public:
    // When to start the next call, at `now` after the last one ended, on a
    // display that refreshes every `period` (0: unknown, at once).
    std::chrono::nanoseconds NextStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period);
    // The handler sleeps: the start of the first call that begins at `wake`
    // or later, paced as a call at every refresh would be (so that call shows
    // what one at every refresh would show then).
    std::chrono::nanoseconds WakeStart(std::chrono::nanoseconds wake, std::chrono::nanoseconds period);
    // The handler sleeps and a message came at `now`: a call in time for the
    // coming blank, or at once when it is too near for that; never later
    // than a start already given for the next call.
    std::chrono::nanoseconds MessageStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period);
    // A call started at `now`: due at the start NextStart gave, or now when it
    // gave none since the last call or now is earlier.
    void CallStarted(std::chrono::nanoseconds now);
    // Whether the call that started last showed a frame.
    bool CallEnded();

private:
    TFrameCost FCost;
    std::optional<std::chrono::nanoseconds> FNextStart;
    std::chrono::nanoseconds FStarted{};
    std::uint64_t FWaits = 0;
    bool FPresented = true;
};
