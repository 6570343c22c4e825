#include "storage/StageSetEdits.h"

#include <algorithm>
#include <numeric>

namespace {

TStageSetResult Refused(std::string why)
{
    TStageSetResult result;
    result.Error = std::move(why);
    return result;
}

// Why `first`..`last` are no stage numbers; empty when they are.
std::string OutOfRange(int first, int last)
{
    if (first < 0)
        return "there is no stage " + std::to_string(first);
    if (last >= StageCount)
        return first == last ? "stage " + std::to_string(first) + " is past " + StageNumberText(StageCount - 1)
                             : "stages " + StageNumberText(first) + ".." + std::to_string(last) + " would run past "
                                   + StageNumberText(StageCount - 1);
    return {};
}

// The records as they are, grown with empty ones to at least `length`; each
// keeps its own number, the empty ones are new.
TStageSetResult Start(const std::vector<StageRecord>& records, int length)
{
    TStageSetResult result;
    result.Records = records;
    result.Source.resize(records.size());
    std::iota(result.Source.begin(), result.Source.end(), 0);
    if (static_cast<int>(records.size()) < length) {
        StageRecord empty;
        EmptyStage(empty);
        result.Records.resize(static_cast<std::size_t>(length), empty);
        result.Source.resize(static_cast<std::size_t>(length), -1);
    }
    return result;
}

// The numbers sorted, each once, all stage numbers; or why not.
std::string Sorted(std::vector<int>& numbers)
{
    if (numbers.empty())
        return "no stage is named";
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return OutOfRange(numbers.front(), numbers.back());
}

void MakeEmpty(TStageSetResult& result, std::size_t at)
{
    EmptyStage(result.Records[at]);
    result.Source[at] = -1;
}

// `stages` put in as new records from `to` on (the records reach that far).
void PutAt(TStageSetResult& result, int to, const std::vector<StageRecord>& stages)
{
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const std::size_t at = static_cast<std::size_t>(to) + i;
        result.Records[at] = stages[i];
        result.Source[at] = -1;
    }
}

}  // namespace

std::string StageNumberText(std::int64_t number)
{
    return (number >= 0 && number < 10 ? "0" : "") + std::to_string(number);
}

TStageSetResult MoveStages(const std::vector<StageRecord>& records, int from, int count, int to)
{
    if (count < 1)
        return Refused("no stage is named");
    if (std::string why = OutOfRange(from, from + count - 1); !why.empty())
        return Refused(why);
    if (std::string why = OutOfRange(to, to + count - 1); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, std::max(from, to) + count);
    // The block out, then back in at `to` in what is left.
    const auto first = static_cast<std::ptrdiff_t>(from);
    const auto last = first + count;
    const auto target = static_cast<std::ptrdiff_t>(to);
    auto moveBlock = [&](auto& items) {
        if (target < first)
            std::rotate(items.begin() + target, items.begin() + first, items.begin() + last);
        else
            std::rotate(items.begin() + first, items.begin() + last, items.begin() + target + count);
    };
    moveBlock(result.Records);
    moveBlock(result.Source);
    return result;
}

TStageSetResult CopyStages(const std::vector<StageRecord>& records, const std::vector<int>& from, int to)
{
    if (from.empty())
        return Refused("no stage is named");
    const auto count = static_cast<int>(from.size());
    const auto [low, high] = std::minmax_element(from.begin(), from.end());
    if (std::string why = OutOfRange(*low, *high); !why.empty())
        return Refused(why);
    if (std::string why = OutOfRange(to, to + count - 1); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, std::max(*high + 1, to + count));
    // Taken before any is put in: the ranges may overlap.
    std::vector<StageRecord> copied;
    copied.reserve(from.size());
    for (const int number : from)
        copied.push_back(result.Records[static_cast<std::size_t>(number)]);
    PutAt(result, to, copied);
    return result;
}

TStageSetResult SwapStages(const std::vector<StageRecord>& records, int a, int b)
{
    if (std::string why = OutOfRange(std::min(a, b), std::max(a, b)); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, std::max(a, b) + 1);
    std::swap(result.Records[static_cast<std::size_t>(a)], result.Records[static_cast<std::size_t>(b)]);
    std::swap(result.Source[static_cast<std::size_t>(a)], result.Source[static_cast<std::size_t>(b)]);
    return result;
}

TStageSetResult InsertStage(const std::vector<StageRecord>& records, int number)
{
    if (std::string why = OutOfRange(number, number); !why.empty())
        return Refused(why);
    const bool full = static_cast<int>(records.size()) >= StageCount;
    if (full && !IsEmptyRecord(records.back()))
        return Refused("the file already holds " + std::to_string(records.size()) + " stages and the last, "
                       + StageNumberText(static_cast<int>(records.size()) - 1) + ", is not empty");
    TStageSetResult result = Start(records, number);
    StageRecord empty;
    EmptyStage(empty);
    result.Records.insert(result.Records.begin() + number, empty);
    result.Source.insert(result.Source.begin() + number, -1);
    if (full) {
        result.Records.pop_back();
        result.Source.pop_back();
    }
    return result;
}

TStageSetResult DeleteStages(const std::vector<StageRecord>& records, const std::vector<int>& numbers)
{
    std::vector<int> sorted = numbers;
    if (std::string why = Sorted(sorted); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, sorted.back() + 1);
    for (auto number = sorted.rbegin(); number != sorted.rend(); ++number) {
        result.Records.erase(result.Records.begin() + *number);
        result.Source.erase(result.Source.begin() + *number);
    }
    result.Records.resize(result.Records.size() + sorted.size());
    result.Source.resize(result.Source.size() + sorted.size());
    for (std::size_t at = result.Records.size() - sorted.size(); at < result.Records.size(); ++at)
        MakeEmpty(result, at);
    return result;
}

TStageSetResult ClearStages(const std::vector<StageRecord>& records, const std::vector<int>& numbers)
{
    std::vector<int> sorted = numbers;
    if (std::string why = Sorted(sorted); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, sorted.back() + 1);
    for (const int number : sorted)
        MakeEmpty(result, static_cast<std::size_t>(number));
    return result;
}

TStageSetResult PutStages(const std::vector<StageRecord>& records, int to, const std::vector<StageRecord>& stages)
{
    if (stages.empty())
        return Refused("there are no stages to put in");
    const auto count = static_cast<int>(stages.size());
    if (std::string why = OutOfRange(to, to + count - 1); !why.empty())
        return Refused(why);
    TStageSetResult result = Start(records, to + count);
    PutAt(result, to, stages);
    return result;
}
