#include "editor/SaveState.h"

#include <algorithm>
#include <utility>

void TSaveState::SetBaseline(const StageRecord* record)
{
    if (record)
        FBaseline = *record;
    else
        FBaseline.reset();
    ++FBaselineRevision;
}

void TSaveState::Remember(int number, const StageRecord* record)
{
    if (record)
        FRemembered[number] = *record;
    else
        FRemembered[number].reset();
}

const std::optional<StageRecord>* TSaveState::Remembered(int number) const
{
    const auto found = FRemembered.find(number);
    return found == FRemembered.end() ? nullptr : &found->second;
}

void TSaveState::FollowRecords(const TStageSetStep& step)
{
    std::map<int, std::optional<StageRecord>> followed;
    const auto countAfter = static_cast<int>(step.CountAfter);
    const auto untouched = static_cast<int>(std::max(step.CountBefore, step.CountAfter));
    for (const auto& [number, record] : FRemembered)
        if (number >= untouched)
            followed.emplace(number, record);
    for (int number = 0; number < countAfter; ++number) {
        const int source = step.Source[static_cast<std::size_t>(number)];
        if (source >= 0) {
            if (const auto found = FRemembered.find(source); found != FRemembered.end())
                followed.emplace(number, found->second);
        } else if (const StageRecord* written = step.After(number)) {
            followed.emplace(number, *written);
        } else if (const auto found = FRemembered.find(number); found != FRemembered.end()) {
            followed.emplace(number, found->second);  // new, but the same bytes
        }
    }
    for (int number = countAfter; number < untouched; ++number)
        followed.emplace(number, std::nullopt);  // the step took the record there away
    FRemembered = std::move(followed);
}
