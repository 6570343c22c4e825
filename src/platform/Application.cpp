#include "platform/Application.h"

#include <algorithm>

namespace {
TApplicationHooks* InstalledHooks = nullptr;
}

TApplicationHooks& ApplicationHooks()
{
    static TManualApplication fallback;
    return InstalledHooks ? *InstalledHooks : fallback;
}

void SetApplicationHooks(TApplicationHooks* hooks)
{
    InstalledHooks = hooks;
}

void TManualApplication::AddActivationHandler(const void* owner, TActivationHandler handler)
{
    RemoveActivationHandler(owner);
    FListeners.push_back(TListener{owner, std::move(handler)});
}

void TManualApplication::RemoveActivationHandler(const void* owner)
{
    FListeners.erase(
        std::remove_if(FListeners.begin(), FListeners.end(), [owner](const TListener& l) { return l.Owner == owner; }),
        FListeners.end());
}

TIdleAnswer TManualApplication::RunIdle()
{
    TIdleAnswer answer;
    if (Idle) {
        auto handler = Idle;  // the handler may replace itself
        handler(answer);
    }
    return answer;
}

void TManualApplication::SetActive(bool active)
{
    Active = active;
    const auto listeners = FListeners;  // handlers may unhook themselves
    for (const auto& l : listeners)
        l.Handler(active);
}
