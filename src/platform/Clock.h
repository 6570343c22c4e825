#pragma once
// Clocks of the desktop: the multimedia millisecond clock and the monotonic
// clock the display's vertical blank is paced by. Each can be replaced in
// tests so nothing depends on real time passing.

#include <chrono>
#include <cstdint>
#include <functional>

// Milliseconds of a monotonic clock; wraps at 2^32 like the multimedia clock.
std::uint32_t timeGetTime();
// Replaces the source of timeGetTime; an empty function restores the steady clock.
void SetTimeGetTimeSource(std::function<std::uint32_t()> source);

// A monotonic clock that can also wait. The display waits on it for the next
// vertical blank.
class TMonotonicClock {
public:
    virtual ~TMonotonicClock() = default;
    virtual std::chrono::nanoseconds Now() = 0;
    // Returns once Now() >= time.
    virtual void SleepUntil(std::chrono::nanoseconds time) = 0;
};

// The process's steady clock.
TMonotonicClock& SteadyClock();
