#include "ui/QtApplicationHooks.h"

#include "platform/Clock.h"
#include "platform/DirectDraw.h"
#include "platform/FramePacing.h"
#include "ui/ErrorReport.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>

namespace {

TQtApplicationHooks::TFrameProbe& FrameProbe()
{
    static TQtApplicationHooks::TFrameProbe probe;
    return probe;
}

TQtApplicationHooks* InstalledHooks = nullptr;

}  // namespace

void TQtApplicationHooks::SetFrameProbe(TFrameProbe probe)
{
    FrameProbe() = std::move(probe);
}

TQtApplicationHooks::TQtApplicationHooks() : FActive(QGuiApplication::applicationState() == Qt::ApplicationActive)
{
    FIdleTimer.setSingleShot(true);
    FIdleTimer.setTimerType(Qt::PreciseTimer);
    connect(&FIdleTimer, &QTimer::timeout, this, [this] { RunIdle(); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { StateChanged(state); });
    qGuiApp->installEventFilter(this);
    SetApplicationHooks(this);
    InstalledHooks = this;
}

TQtApplicationHooks::~TQtApplicationHooks()
{
    if (InstalledHooks == this)
        InstalledHooks = nullptr;
    SetApplicationHooks(nullptr);
}

TQtApplicationHooks* TQtApplicationHooks::Installed()
{
    return InstalledHooks;
}

bool TQtApplicationHooks::FramesRunning() const
{
    return FIdle && FFramesRunning;
}

std::chrono::nanoseconds TQtApplicationHooks::Now() const
{
    return SteadyClock().Now();
}

void TQtApplicationHooks::SetIdleHandler(TIdleHandler handler)
{
    FIdle = std::move(handler);
    // A new handler is called at once; it is taken to run frames until it says it is done.
    FFramesRunning = static_cast<bool>(FIdle);
    FNextStart = Now();
    if (FIdle)
        FIdleTimer.start(0);
    else
        FIdleTimer.stop();
    emit FrameTurnEnded();
}

bool TQtApplicationHooks::IsActive() const
{
    return FActive;
}

void TQtApplicationHooks::AddActivationHandler(const void* owner, TActivationHandler handler)
{
    RemoveActivationHandler(owner);
    FListeners.push_back({owner, std::move(handler)});
}

void TQtApplicationHooks::RemoveActivationHandler(const void* owner)
{
    std::erase_if(FListeners, [owner](const TListener& listener) { return listener.Owner == owner; });
}

void TQtApplicationHooks::RunIdle()
{
    if (!FIdle)
        return;
    using namespace std::chrono;
    TMonotonicClock& clock = SteadyClock();
    FPacer.CallStarted(clock.Now());
    const TFrameProbe& probe = FrameProbe();
    if (probe.Started)
        probe.Started();
    bool done = true;
    // Copy: the handler may replace itself.
    const TIdleHandler idle = FIdle;
    RunGuarded([&] { idle(done); });
    const bool presented = FPacer.CallEnded();
    if (probe.Ended)
        probe.Ended(presented);
    // A handler that is not done is called again in time for the next
    // refresh (FramePacing); one that is done waits for the next event.
    FFramesRunning = !done && FIdle;
    if (FFramesRunning) {
        const double rate = DisplayPlatformSettings().RefreshRate;
        const nanoseconds period(rate > 0 ? static_cast<std::int64_t>(1e9 / rate) : 0);
        const nanoseconds now = clock.Now();
        const nanoseconds start = FPacer.NextStart(now, period);
        FNextStart = start;
        FIdleTimer.start(FramePacing::TimerDelay(now, start));
    }
    emit FrameTurnEnded();
}

bool TQtApplicationHooks::eventFilter(QObject* watched, QEvent* event)
{
    // An idle handler that said it was done is called again after the next event.
    if (FIdle && !FIdleTimer.isActive())
        FIdleTimer.start(0);
    return QObject::eventFilter(watched, event);
}

void TQtApplicationHooks::StateChanged(Qt::ApplicationState state)
{
    const bool active = state == Qt::ApplicationActive;
    if (active == FActive)
        return;
    FActive = active;
    const auto listeners = FListeners;
    for (const TListener& listener : listeners)
        RunGuarded([&] { listener.Handler(active); });
}
