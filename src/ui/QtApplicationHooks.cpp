#include "ui/QtApplicationHooks.h"

#include "ui/ErrorReport.h"

#include <QGuiApplication>

#include <algorithm>

TQtApplicationHooks::TQtApplicationHooks()
    : FActive(QGuiApplication::applicationState() == Qt::ApplicationActive)
{
    FIdleTimer.setInterval(0);
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
        FIdleTimer.start();
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
    // A handler that is done waits for the next event; the timer then only
    // fires again once events have been handled.
    if (done)
        FIdleTimer.stop();
}

bool TQtApplicationHooks::eventFilter(QObject* watched, QEvent* event)
{
    // An idle handler that said it was done is called again after the next event.
    if (FIdle && !FIdleTimer.isActive())
        FIdleTimer.start();
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
