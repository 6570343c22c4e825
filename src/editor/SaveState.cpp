#include "editor/SaveState.h"

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
