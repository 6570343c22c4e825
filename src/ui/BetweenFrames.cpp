#include "ui/BetweenFrames.h"

#include "platform/Clock.h"

#include <algorithm>
#include <utility>

TBetweenFrames::TBetweenFrames(TPiece piece, TFrameSchedule* schedule, QObject* parent)
    : QObject(parent), FPiece(std::move(piece)), FSchedule(schedule)
{
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, [this] { TryPiece(); });
    if (FSchedule)
        connect(FSchedule, &TFrameSchedule::FrameTurnEnded, this, [this] { TurnEnded(); });
}

void TBetweenFrames::Start()
{
    ++FStarts;
    FRunning = true;
    FWaitingForTurn = false;
    FTurnsWaited = 0;
    FTimer.start(0);
}

void TBetweenFrames::Stop()
{
    FRunning = false;
    FWaitingForTurn = false;
    FTimer.stop();
}

bool TBetweenFrames::Expected(std::chrono::nanoseconds& cost) const
{
    if (FCostCount == 0)
        return false;
    auto costs = FCosts;
    const auto end = costs.begin() + static_cast<std::ptrdiff_t>(FCostCount);
    const auto middle = costs.begin() + static_cast<std::ptrdiff_t>(FCostCount / 2);
    std::nth_element(costs.begin(), middle, end);
    cost = *middle + FramePacing::Margin;
    return true;
}

void TBetweenFrames::TryPiece()
{
    if (!FRunning)
        return;
    if (FSchedule && FSchedule->FramesRunning() && FTurnsWaited < MaxWaitTurns) {
        // Before the first piece its cost is unknown: it waits for the end of
        // a frame's turn, where the gap to the next frame is the widest.
        std::chrono::nanoseconds cost{};
        const bool known = Expected(cost);
        const bool fits = known ? FSchedule->NextFrameStart() - FSchedule->Now() >= cost : FTurnsWaited > 0;
        if (!fits) {
            FWaitingForTurn = true;
            return;
        }
    }
    FWaitingForTurn = false;
    FTurnsWaited = 0;
    ++FPiecesRun;
    const int starts = FStarts;
    TMonotonicClock& clock = SteadyClock();
    const std::chrono::nanoseconds started = clock.Now();
    const bool more = FPiece();
    FCosts[FNextCost] = clock.Now() - started;
    FNextCost = (FNextCost + 1) % FCosts.size();
    FCostCount = std::min(FCostCount + 1, FCosts.size());
    if (!FRunning || FStarts != starts)
        return;  // stopped or started again by what the piece set off
    if (more) {
        FTimer.start(0);
    } else {
        FRunning = false;
        emit Finished();
    }
}

void TBetweenFrames::TurnEnded()
{
    if (!FWaitingForTurn)
        return;
    ++FTurnsWaited;
    FWaitingForTurn = false;
    FTimer.start(0);  // after the events that came in meanwhile
}
