#include "ui/QtApplicationHooks.h"

#include "platform/Clock.h"
#include "platform/DirectDraw.h"
#include "platform/FramePacing.h"
#include "ui/ErrorReport.h"

#include <QGuiApplication>

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
    return FIdle && FIdleTimer.isActive();
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
    ++FHandlersSet;
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

std::chrono::nanoseconds TQtApplicationHooks::RefreshPeriod()
{
    const double rate = DisplayPlatformSettings().RefreshRate;
    return std::chrono::nanoseconds(rate > 0 ? static_cast<std::int64_t>(1e9 / rate) : 0);
}

void TQtApplicationHooks::CallAt(std::chrono::nanoseconds start)
{
    FNextStart = start;
    FIdleTimer.start(FramePacing::TimerDelay(Now(), start));
}

void TQtApplicationHooks::RunIdle()
{
    if (!FIdle)
        return;
    using namespace std::chrono;
    const nanoseconds started = Now();
    FPacer.CallStarted(started);
    const TFrameProbe& probe = FrameProbe();
    if (probe.Started)
        probe.Started();
    TIdleAnswer answer;
    // Copy: the handler may replace itself.
    const TIdleHandler idle = FIdle;
    const std::uint64_t handlersSet = FHandlersSet;
    FInCall = true;
    RunGuarded([&] { idle(answer); });
    FInCall = false;
    const bool presented = FPacer.CallEnded();
    if (probe.Ended)
        probe.Ended(presented);
    // A handler that is not done is called again in time for the next
    // refresh (FramePacing); one that sleeps, at the refresh its wake falls
    // in, or sooner for a message; one that is done, after the next message.
    // A handler set during the call has not answered yet: it runs frames.
    FFramesRunning = FIdle && (!answer.Done || FHandlersSet != handlersSet);
    if (FFramesRunning)
        CallAt(FPacer.NextStart(Now(), RefreshPeriod()));
    else if (FIdle && answer.WakeAfter)
        CallAt(FPacer.WakeStart(started + *answer.WakeAfter, RefreshPeriod()));
    else
        FIdleTimer.stop();
    emit FrameTurnEnded();
}

bool TQtApplicationHooks::eventFilter(QObject* watched, QEvent* event)
{
    // A message may change what a sleeping handler shows. The events of its
    // own calls (a frame's paint) and its timer do not count; a call set for
    // sooner stays.
    if (FIdle && !FFramesRunning && !FInCall && watched != &FIdleTimer) {
        const std::chrono::nanoseconds start = FPacer.MessageStart(Now(), RefreshPeriod());
        if (!FIdleTimer.isActive() || start != FNextStart)
            CallAt(start);
    }
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
