#pragma once
// The frame timer's view of the window application: the one idle handler,
// called whenever the event queue is empty, and the activation notifications.

#include "platform/Application.h"
#include "platform/FramePacing.h"
#include "ui/BetweenFrames.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class TQtApplicationHooks : public TFrameSchedule, public TApplicationHooks {
    Q_OBJECT
public:
    // Installs itself as the application's hooks; uninstalls when destroyed.
    TQtApplicationHooks();
    ~TQtApplicationHooks() override;

    // The hooks installed and alive, or none (window tests run without).
    static TQtApplicationHooks* Installed();

    // TFrameSchedule: work between frames paces itself by these.
    bool FramesRunning() const override;
    std::chrono::nanoseconds NextFrameStart() const override { return FNextStart; }
    std::chrono::nanoseconds Now() const override;

    void SetIdleHandler(TIdleHandler handler) override;
    bool IsActive() const override;
    void AddActivationHandler(const void* owner, TActivationHandler handler) override;
    void RemoveActivationHandler(const void* owner) override;

    // A measuring hook for the probe build of the editor (bench/probe): called
    // at the start of every idle call and at its end, with whether it showed a
    // frame. The editor itself never sets it.
    struct TFrameProbe {
        std::function<void()> Started;
        std::function<void(bool presented)> Ended;
    };
    static void SetFrameProbe(TFrameProbe probe);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunIdle();
    // The idle timer fires at `start`, on the clock of Now.
    void CallAt(std::chrono::nanoseconds start);
    static std::chrono::nanoseconds RefreshPeriod();
    void StateChanged(Qt::ApplicationState state);

    struct TListener {
        const void* Owner;
        TActivationHandler Handler;
    };
    // Fires once the event queue has been emptied, and never before the start
    // the pacer gave: the next refresh's for a handler that is not done, its
    // wake's or a message's for one that sleeps.
    QTimer FIdleTimer;
    TIdleHandler FIdle;
    TFramePacer FPacer;
    // The idle handler was not done: it runs frames at every refresh.
    bool FFramesRunning = false;
    // When the idle timer fires, while it is active.
    std::chrono::nanoseconds FNextStart{};
    bool FInCall = false;  // inside the idle handler: its own events wake nothing
    std::uint64_t FHandlersSet = 0;
    std::vector<TListener> FListeners;
    bool FActive;
};
