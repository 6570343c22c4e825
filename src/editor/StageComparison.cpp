#include "editor/StageComparison.h"

#include <algorithm>
#include <utility>

TStageComparison::TStageComparison()
{
    EmptyStage(FEmpty);
}

void TStageComparison::Start(std::vector<StageRecord> compared, std::string source)
{
    FOn = true;
    FCompared = std::move(compared);
    FSource = std::move(source);
    FPairing = {};
    FChanges.clear();
    FChangeOf.clear();
    ++FRevision;
}

void TStageComparison::Stop()
{
    FOn = false;
    FCompared.clear();
    FSource.clear();
    FPairing = {};
    FChanges.clear();
    FChangeOf.clear();
    ++FRevision;
}

void TStageComparison::Pair(const std::vector<StageRecord>& current)
{
    if (!FOn)
        return;
    FPairing = PairStages(FCompared, current);
    FChanges = StageChanges(FCompared, current, FPairing);
    FChangeOf.assign(current.size(), -1);
    for (std::size_t i = 0; i < FChanges.size(); ++i)
        if (FChanges[i].B >= 0)
            FChangeOf[static_cast<std::size_t>(FChanges[i].B)] = static_cast<int>(i);
    ++FRevision;
}

const TStageChange* TStageComparison::Change(int number) const
{
    if (number < 0 || number >= static_cast<int>(FChangeOf.size()) || FChangeOf[static_cast<std::size_t>(number)] < 0)
        return nullptr;
    return &FChanges[static_cast<std::size_t>(FChangeOf[static_cast<std::size_t>(number)])];
}

int TStageComparison::Count(TStageChangeKind kind) const
{
    return static_cast<int>(std::count_if(FChanges.begin(), FChanges.end(),
                                          [kind](const TStageChange& change) { return change.Kind == kind; }));
}

const StageRecord& TStageComparison::Partner(int number) const
{
    if (number < 0 || number >= static_cast<int>(FPairing.AOfB.size()))
        return FEmpty;
    const int partner = FPairing.AOfB[static_cast<std::size_t>(number)];
    return partner < 0 ? FEmpty : FCompared[static_cast<std::size_t>(partner)];
}
