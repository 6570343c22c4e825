#include "storage/StageSetStep.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace {

// Records, each content kept once.
class TRecordPool {
public:
    explicit TRecordPool(std::vector<StageRecord>& records) : FRecords(records) {}

    int Add(const StageRecord& record)
    {
        std::vector<int>& same = FByHash[RecordHash(record)];
        for (const int index : same)
            if (RecordsEqual(FRecords[static_cast<std::size_t>(index)], record))
                return index;
        FRecords.push_back(record);
        same.push_back(static_cast<int>(FRecords.size()) - 1);
        return same.back();
    }

private:
    std::vector<StageRecord>& FRecords;
    std::unordered_map<std::size_t, std::vector<int>> FByHash;
};

}  // namespace

int TStageSetStep::Destination(int number) const
{
    if (number >= CountBefore)
        return number >= CountAfter ? number : -1;
    const auto found = std::find(Source.begin(), Source.end(), number);
    return found == Source.end() ? -1 : static_cast<int>(found - Source.begin());
}

const StageRecord* TStageSetStep::Before(int number) const
{
    const TChange* change = ChangeAt(number);
    return change && change->Before >= 0 ? &Records[static_cast<std::size_t>(change->Before)] : nullptr;
}

const StageRecord* TStageSetStep::After(int number) const
{
    const TChange* change = ChangeAt(number);
    return change && change->After >= 0 ? &Records[static_cast<std::size_t>(change->After)] : nullptr;
}

const TStageSetStep::TChange* TStageSetStep::ChangeAt(int number) const
{
    const auto found = std::lower_bound(Changes.begin(), Changes.end(), number,
                                        [](const TChange& change, int wanted) { return change.Number < wanted; });
    return found != Changes.end() && found->Number == number ? &*found : nullptr;
}

TStageSetStep MakeStageSetStep(const std::vector<StageRecord>& before, const TStageSetResult& result)
{
    TStageSetStep step;
    step.CountBefore = static_cast<std::int64_t>(before.size());
    step.CountAfter = static_cast<std::int64_t>(result.Records.size());
    step.Source = result.Source;
    step.Source.resize(result.Records.size(), -1);
    // A number that got a new record equal to its own keeps its own, unless
    // that one went elsewhere.
    std::vector<bool> moved(before.size(), false);
    for (const int source : step.Source)
        if (source >= 0 && static_cast<std::size_t>(source) < before.size())
            moved[static_cast<std::size_t>(source)] = true;
    for (std::size_t n = 0; n < step.Source.size() && n < before.size(); ++n)
        if (step.Source[n] < 0 && !moved[n] && RecordsEqual(before[n], result.Records[n]))
            step.Source[n] = static_cast<int>(n);

    TRecordPool pool(step.Records);
    const std::size_t length = std::max(before.size(), result.Records.size());
    for (std::size_t n = 0; n < length; ++n) {
        const StageRecord* was = n < before.size() ? &before[n] : nullptr;
        const StageRecord* now = n < result.Records.size() ? &result.Records[n] : nullptr;
        if (was && now && RecordsEqual(*was, *now))
            continue;
        step.Changes.push_back({static_cast<int>(n), was ? pool.Add(*was) : -1, now ? pool.Add(*now) : -1});
    }
    return step;
}

TStageSetStep InverseStageSetStep(const TStageSetStep& step)
{
    TStageSetStep inverse;
    inverse.CountBefore = step.CountAfter;
    inverse.CountAfter = step.CountBefore;
    inverse.Source.assign(static_cast<std::size_t>(step.CountBefore), -1);
    for (std::size_t n = 0; n < step.Source.size(); ++n)
        if (step.Source[n] >= 0 && step.Source[n] < step.CountBefore)
            inverse.Source[static_cast<std::size_t>(step.Source[n])] = static_cast<int>(n);
    inverse.Records = step.Records;
    for (const TStageSetStep::TChange& change : step.Changes)
        inverse.Changes.push_back({change.Number, change.After, change.Before});
    return inverse;
}

TStageSetEdit ReplayStageSetStep(const TStageSetStep& step)
{
    return [step](const std::vector<StageRecord>& records) {
        TStageSetResult result;
        const auto count = static_cast<std::int64_t>(records.size());
        if (step.CountBefore != step.CountAfter && count != step.CountBefore) {
            result.Error = "the file holds " + std::to_string(count) + " records now, not "
                           + std::to_string(step.CountBefore) + " (another program or a Save changed it)";
            return result;
        }
        for (const TStageSetStep::TChange& change : step.Changes) {
            const bool there = change.Number < count;
            const bool asFound = change.Before < 0
                                     ? !there
                                     : there
                                           && RecordsEqual(records[static_cast<std::size_t>(change.Number)],
                                                           step.Records[static_cast<std::size_t>(change.Before)]);
            if (!asFound) {
                result.Error = "stage " + StageNumberText(change.Number)
                               + " has changed since (another program or a Save wrote it)";
                return result;
            }
        }
        // Records past those the step knew (saved meanwhile) stay where they are.
        const std::int64_t length = step.CountBefore == step.CountAfter ? count : step.CountAfter;
        result.Records = records;
        result.Records.resize(static_cast<std::size_t>(length));
        result.Source = step.Source;
        for (auto n = static_cast<std::int64_t>(result.Source.size()); n < length; ++n)
            result.Source.push_back(static_cast<int>(n));
        result.Source.resize(static_cast<std::size_t>(length));
        for (const TStageSetStep::TChange& change : step.Changes)
            if (change.After >= 0)
                result.Records[static_cast<std::size_t>(change.Number)] =
                    step.Records[static_cast<std::size_t>(change.After)];
        return result;
    };
}
