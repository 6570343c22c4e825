#pragma once
// Clocks of the desktop: the multimedia millisecond clock and the monotonic
// clock the display's vertical blank is paced by. Whoever reads them takes
// a clock of its own in tests (the frame timer, TPlatformScope), so nothing
// depends on real time passing.

#include <chrono>
#include <cstdint>

// Milliseconds of a monotonic clock; wraps at 2^32 like the multimedia clock.
std::uint32_t timeGetTime();

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
