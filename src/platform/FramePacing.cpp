#include "platform/FramePacing.h"

#include "platform/DirectDraw.h"

#include <algorithm>

namespace FramePacing {

std::chrono::nanoseconds NextStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period,
                                   std::chrono::nanoseconds lead, bool presented)
{
    using std::chrono::nanoseconds;
    if (period <= nanoseconds::zero())
        return now;
    lead = std::clamp(lead, nanoseconds::zero(), period);
    // The first blank after now (rounding toward minus infinity).
    auto blanks = now / period;
    if (blanks * period > now)
        --blanks;
    const nanoseconds start = (blanks + 1) * period - lead;
    if (start > now)
        return start;
    return presented ? now : start + period;
}

std::chrono::milliseconds TimerDelay(std::chrono::nanoseconds now, std::chrono::nanoseconds start)
{
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(start - now), std::chrono::milliseconds::zero());
}

}  // namespace FramePacing

void TFrameCost::Add(std::chrono::nanoseconds cost)
{
    FCosts[FNext] = std::max(cost, std::chrono::nanoseconds::zero());
    FNext = (FNext + 1) % FCosts.size();
}

std::chrono::nanoseconds TFrameCost::Lead(std::chrono::nanoseconds period) const
{
    auto costs = FCosts;
    const auto middle = costs.begin() + costs.size() / 2;
    std::nth_element(costs.begin(), middle, costs.end());
    return std::min(*middle + FramePacing::Margin, std::max(period, std::chrono::nanoseconds::zero()));
}

std::chrono::nanoseconds TFramePacer::NextStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period)
{
    FNextStart = FramePacing::NextStart(now, period, FCost.Lead(period), FPresented);
    return *FNextStart;
}

std::chrono::nanoseconds TFramePacer::WakeStart(std::chrono::nanoseconds wake, std::chrono::nanoseconds period)
{
    // The first start after the nanosecond before the wake: at the wake or later.
    FNextStart = FramePacing::NextStart(wake - std::chrono::nanoseconds(1), period, FCost.Lead(period), false);
    return *FNextStart;
}

std::chrono::nanoseconds TFramePacer::MessageStart(std::chrono::nanoseconds now, std::chrono::nanoseconds period)
{
    const std::chrono::nanoseconds start = FramePacing::NextStart(now, period, FCost.Lead(period), true);
    FNextStart = FNextStart ? std::min(*FNextStart, start) : start;
    return *FNextStart;
}

void TFramePacer::CallStarted(std::chrono::nanoseconds now)
{
    FStarted = now;
    FWaits = VerticalBlankRecord().Waits;
    NoteFrameDue(std::min(FNextStart.value_or(now), now));
    FNextStart.reset();
}

bool TFramePacer::CallEnded()
{
    // A frame was shown when the display waited for a blank to show it.
    const TVerticalBlankRecord& record = VerticalBlankRecord();
    FPresented = record.Waits != FWaits;
    if (FPresented)
        FCost.Add(record.LastAsked - FStarted);
    return FPresented;
}
