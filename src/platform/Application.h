#pragma once
// What the frame timer needs of the application object: its one idle handler
// and its activation notifications. The window application implements it;
// until one is installed a plain in-memory one serves (tests drive it by hand).

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// What an idle call answers. Not done asks to be called again at once
// (the window application paces such calls to the display's refresh). Done
// waits for the next message, or, with WakeAfter, at most that long from the
// start of the call: nothing the handler shows changes before then unless a
// message comes.
struct TIdleAnswer {
    bool Done = true;
    std::optional<std::chrono::milliseconds> WakeAfter;
};
// Called whenever the application's message queue is empty.
using TIdleHandler = std::function<void(TIdleAnswer& answer)>;
// Called with true when the application becomes active, false when it stops being active.
using TActivationHandler = std::function<void(bool active)>;

class TApplicationHooks {
public:
    virtual ~TApplicationHooks() = default;
    // Replaces the one idle handler; an empty handler clears it.
    virtual void SetIdleHandler(TIdleHandler handler) = 0;
    virtual bool IsActive() const = 0;
    // Adds a listener for activation changes, keyed by owner; one per owner.
    virtual void AddActivationHandler(const void* owner, TActivationHandler handler) = 0;
    virtual void RemoveActivationHandler(const void* owner) = 0;
};

// The hooks in use: those installed by SetApplicationHooks, else a
// TManualApplication owned by the platform.
TApplicationHooks& ApplicationHooks();
// Installs the application's hooks (not owned); nullptr goes back to the default.
void SetApplicationHooks(TApplicationHooks* hooks);

// An application driven by hand: RunIdle calls the idle handler once,
// SetActive raises the activation notifications.
class TManualApplication : public TApplicationHooks {
public:
    void SetIdleHandler(TIdleHandler handler) override { Idle = std::move(handler); }
    bool IsActive() const override { return Active; }
    void AddActivationHandler(const void* owner, TActivationHandler handler) override;
    void RemoveActivationHandler(const void* owner) override;

    // Runs the idle handler once when there is one; returns its answer
    // (done when there is none).
    TIdleAnswer RunIdle();
    void SetActive(bool active);

    TIdleHandler Idle;
    bool Active = true;

private:
    struct TListener {
        const void* Owner;
        TActivationHandler Handler;
    };
    std::vector<TListener> FListeners;
};
