#pragma once
// The frame timer: ticks from the application's idle processing, measuring
// time with the multimedia millisecond clock.

#include "platform/Application.h"

#include <cstdint>
#include <functional>
#include <optional>

class TDXTimer;
using TDXTimerEvent = std::function<void(TDXTimer& sender, int lagCount)>;
using TDXTimerNotifyEvent = std::function<void(TDXTimer& sender)>;

class TDXTimer {
public:
    // application: whose idle handler and activation the timer uses (not
    // owned; default ApplicationHooks()). clock: milliseconds (default timeGetTime).
    explicit TDXTimer(TApplicationHooks* application = nullptr, std::function<std::uint32_t()> clock = {});
    virtual ~TDXTimer();
    TDXTimer(const TDXTimer&) = delete;
    TDXTimer& operator=(const TDXTimer&) = delete;

    bool ActiveOnly = true;
    int MaxLag = 10;
    TDXTimerNotifyEvent OnActivate;
    TDXTimerNotifyEvent OnDeactivate;
    TDXTimerEvent OnTimer;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t value);
    int FramesPerSecond() const { return FFramesPerSecond; }
    bool Running() const { return FRunning; }

    // While loading from the form, setting Enabled only stores it; Loaded then starts.
    void BeginLoading() { FLoading = true; }
    void Loaded();

    // One idle call of the application: asks to be called again at once,
    // unless OnTimer said how long it may sleep (SleepFor).
    void Tick(TIdleAnswer& answer);
    // Called from OnTimer: what the handler shows will not change for
    // `milliseconds` (none: at all) unless a message comes first, so the
    // application may wait that long for the next tick instead of calling at
    // once. Holds for the tick under way only. The first tick after a sleep
    // counts the display's refreshes slept through in FramesPerSecond: the
    // rate at which the display kept showing the handler's current frame.
    void SleepFor(std::optional<std::uint32_t> milliseconds);

protected:
    virtual void DoActivate();
    virtual void DoDeactivate();
    virtual void DoTimer(int lagCount);

private:
    void Start();
    void Stop();
    void Install();
    void Uninstall();
    void Activation(bool active);

    TApplicationHooks& FApplication;
    std::function<std::uint32_t()> FClock;
    bool FEnabled = true;
    int FFramesPerSecond = 0;
    bool FRunning = false;
    std::uint32_t FInterval = 1000;
    std::uint32_t FDivisor = 1000;
    int FFrameCount = 0;
    std::uint32_t FOldTime = 0;
    std::uint32_t FOldTime2 = 0;
    bool FLoading = false;
    TIdleAnswer FAnswer;  // of the tick under way
    bool FSlept = false;  // the last tick's answer let the application wait
};
