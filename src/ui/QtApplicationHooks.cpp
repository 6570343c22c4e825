#include "ui/QtApplicationHooks.h"

#include "platform/Clock.h"
#include "platform/DirectDraw.h"
#include "ui/ErrorReport.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>

namespace {

// How long before a vertical blank the idle handler is called again. The
// frame handler draws and then waits for the blank inside Flip; calling it
// shortly before the blank rather than right after the last one keeps the
// event loop free for input in between, so an edit reaches the screen with
// the very next refresh instead of one later.
constexpr std::chrono::milliseconds FrameLead{4};

int MillisecondsToNextCall()
{
    using namespace std::chrono;
    const double rate = DisplayPlatformSettings().RefreshRate;
    if (rate <= 0)
        return 0;
    const auto period = nanoseconds(static_cast<std::int64_t>(1e9 / rate));
    const nanoseconds now = SteadyClock().Now();
    const nanoseconds nextBlank = (now / period + 1) * period;
    const auto wait = duration_cast<milliseconds>(nextBlank - FrameLead - now);
    return wait.count() > 0 ? static_cast<int>(wait.count()) : 0;
}

}  // namespace

TQtApplicationHooks::TQtApplicationHooks()
    : FActive(QGuiApplication::applicationState() == Qt::ApplicationActive)
{
    FIdleTimer.setSingleShot(true);
    FIdleTimer.setTimerType(Qt::PreciseTimer);
    connect(&FIdleTimer, &QTimer::timeout, this, [this] { RunIdle(); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { StateChanged(state); });
    qGuiApp->installEventFilter(this);
    SetApplicationHooks(this);
}

TQtApplicationHooks::~TQtApplicationHooks()
{
    SetApplicationHooks(nullptr);
}

void TQtApplicationHooks::SetIdleHandler(TIdleHandler handler)
{
    FIdle = std::move(handler);
    if (FIdle)
        FIdleTimer.start(0);
    else
        FIdleTimer.stop();
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
    bool done = true;
    // Copy: the handler may replace itself.
    const TIdleHandler idle = FIdle;
    RunGuarded([&] { idle(done); });
    // A handler that is not done is called again shortly before the next
    // refresh; one that is done waits for the next event.
    if (!done && FIdle)
        FIdleTimer.start(MillisecondsToNextCall());
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
