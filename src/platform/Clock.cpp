#include "platform/Clock.h"

#include <thread>

namespace {

std::function<std::uint32_t()>& TimeSource()
{
    static std::function<std::uint32_t()> source;
    return source;
}

class TSteadyClock final : public TMonotonicClock {
public:
    std::chrono::nanoseconds Now() override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    void SleepUntil(std::chrono::nanoseconds time) override
    {
        const auto now = Now();
        if (time > now)
            std::this_thread::sleep_for(time - now);
    }
};

}  // namespace

std::uint32_t timeGetTime()
{
    if (const auto& source = TimeSource())
        return source();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

void SetTimeGetTimeSource(std::function<std::uint32_t()> source)
{
    TimeSource() = std::move(source);
}

TMonotonicClock& SteadyClock()
{
    static TSteadyClock clock;
    return clock;
}
