#include "engine/DXClass.h"

#include "platform/Clock.h"
#include "platform/DirectDraw.h"

#include <algorithm>
#include <cmath>

namespace {

// The display's refreshes in `milliseconds`, at least 1.
int RefreshesIn(std::uint32_t milliseconds)
{
    const double refreshes = milliseconds * DisplayPlatformSettings().RefreshRate / 1000.0;
    return std::max(1, static_cast<int>(std::lround(std::min(refreshes, 1e6))));
}

}  // namespace

TDXTimer::TDXTimer(TApplicationHooks* application, std::function<std::uint32_t()> clock)
    : FApplication(application ? *application : ApplicationHooks()), FClock(std::move(clock))
{
    if (!FClock)
        FClock = [] { return timeGetTime(); };
    FApplication.AddActivationHandler(this, [this](bool active) { Activation(active); });
}

TDXTimer::~TDXTimer()
{
    Stop();
    FApplication.RemoveActivationHandler(this);
}

void TDXTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (FLoading)
        return;
    if (value)
        Start();
    else
        Stop();
}

void TDXTimer::SetInterval(std::uint32_t value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    FDivisor = value == 0 ? 1 : value;
}

void TDXTimer::Loaded()
{
    FLoading = false;
    if (FEnabled)
        Start();
}

void TDXTimer::Start()
{
    Stop();
    if (!ActiveOnly || FApplication.IsActive())
        Install();
    FRunning = true;
}

void TDXTimer::Stop()
{
    if (!FRunning)
        return;
    Uninstall();
    FRunning = false;
}

void TDXTimer::Install()
{
    FOldTime = FClock();
    FOldTime2 = FOldTime;
    FSlept = false;
    FApplication.SetIdleHandler([this](TIdleAnswer& answer) { Tick(answer); });
}

void TDXTimer::Uninstall()
{
    FApplication.SetIdleHandler({});
}

void TDXTimer::Activation(bool active)
{
    if (active) {
        DoActivate();
        if (FRunning && ActiveOnly)
            Install();
    } else {
        DoDeactivate();
        if (FRunning && ActiveOnly)
            Uninstall();
    }
}

void TDXTimer::SleepFor(std::optional<std::uint32_t> milliseconds)
{
    FAnswer.Done = true;
    FAnswer.WakeAfter.reset();
    if (milliseconds)
        FAnswer.WakeAfter = std::chrono::milliseconds(*milliseconds);
}

void TDXTimer::Tick(TIdleAnswer& answer)
{
    answer = TIdleAnswer{false, std::nullopt};
    const std::uint32_t t = FClock();
    const std::uint32_t elapsed = t - FOldTime;  // wraps with the clock
    if (elapsed < FInterval)
        return;
    FOldTime = t;
    const int lagCount = static_cast<int>(std::max<std::uint32_t>(elapsed / FDivisor, 1));
    if (MaxLag > 0)
        MaxLag = std::max(lagCount, MaxLag);
    FFrameCount += FSlept ? RefreshesIn(elapsed) : 1;
    const std::uint32_t window = std::max<std::uint32_t>(t - FOldTime2, 1);
    if (window >= 1000) {
        FFramesPerSecond = static_cast<int>(std::nearbyint(FFrameCount * 1000.0 / window));
        FFrameCount = 0;
        FOldTime2 = t;
    }
    FAnswer = TIdleAnswer{false, std::nullopt};
    DoTimer(lagCount);
    answer = FAnswer;
    FSlept = answer.Done;
}

void TDXTimer::DoActivate()
{
    if (OnActivate)
        OnActivate(*this);
}

void TDXTimer::DoDeactivate()
{
    if (OnDeactivate)
        OnDeactivate(*this);
}

void TDXTimer::DoTimer(int lagCount)
{
    if (OnTimer)
        OnTimer(*this, lagCount);
}
