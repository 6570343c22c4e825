#include "storage/StagePairing.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <unordered_map>

namespace {

using TByContent = std::unordered_multimap<std::size_t, int>;

// The non-empty records of `records` by their hash.
TByContent NonEmptyByContent(const std::vector<StageRecord>& records, const std::vector<bool>& empty)
{
    TByContent byContent;
    for (std::size_t n = 0; n < records.size(); ++n)
        if (!empty[n])
            byContent.emplace(RecordHash(records[n]), static_cast<int>(n));
    return byContent;
}

std::vector<bool> EmptyFlags(const std::vector<StageRecord>& records)
{
    std::vector<bool> empty(records.size());
    for (std::size_t n = 0; n < records.size(); ++n)
        empty[n] = IsEmptyRecord(records[n]);
    return empty;
}

}  // namespace

TStagePairing PairStages(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b)
{
    TStagePairing pairing;
    pairing.BOfA.assign(a.size(), -1);
    pairing.AOfB.assign(b.size(), -1);
    pairing.CopyOf.assign(b.size(), -1);
    const std::vector<bool> emptyA = EmptyFlags(a);
    const std::vector<bool> emptyB = EmptyFlags(b);
    const TByContent contentOfB = NonEmptyByContent(b, emptyB);

    // Every pair of identical non-empty records, nearest first; ties go to
    // the lower numbers, so the pairing never depends on the hash's order.
    struct TCandidate {
        int Distance, A, B;
    };
    std::vector<TCandidate> candidates;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (emptyA[i])
            continue;
        const auto [first, last] = contentOfB.equal_range(RecordHash(a[i]));
        for (auto it = first; it != last; ++it)
            if (RecordsEqual(a[i], b[static_cast<std::size_t>(it->second)]))
                candidates.push_back({std::abs(static_cast<int>(i) - it->second), static_cast<int>(i), it->second});
    }
    std::sort(candidates.begin(), candidates.end(), [](const TCandidate& x, const TCandidate& y) {
        return std::tie(x.Distance, x.A, x.B) < std::tie(y.Distance, y.A, y.B);
    });
    for (const TCandidate& c : candidates)
        if (pairing.BOfA[static_cast<std::size_t>(c.A)] < 0 && pairing.AOfB[static_cast<std::size_t>(c.B)] < 0) {
            pairing.BOfA[static_cast<std::size_t>(c.A)] = c.B;
            pairing.AOfB[static_cast<std::size_t>(c.B)] = c.A;
        }

    for (std::size_t n = 0; n < std::min(a.size(), b.size()); ++n)
        if (pairing.BOfA[n] < 0 && pairing.AOfB[n] < 0 && emptyA[n] == emptyB[n]) {
            pairing.BOfA[n] = static_cast<int>(n);
            pairing.AOfB[n] = static_cast<int>(n);
        }

    const TByContent contentOfA = NonEmptyByContent(a, emptyA);
    for (std::size_t j = 0; j < b.size(); ++j) {
        const int partner = pairing.AOfB[j];
        if (emptyB[j] || (partner >= 0 && RecordsEqual(a[static_cast<std::size_t>(partner)], b[j])))
            continue;
        const auto [first, last] = contentOfA.equal_range(RecordHash(b[j]));
        for (auto it = first; it != last; ++it)
            if (RecordsEqual(a[static_cast<std::size_t>(it->second)], b[j])
                && (pairing.CopyOf[j] < 0 || it->second < pairing.CopyOf[j]))
                pairing.CopyOf[j] = it->second;
    }
    return pairing;
}

std::vector<TStageChange> StageChanges(const std::vector<StageRecord>& a, const std::vector<StageRecord>& b,
                                       const TStagePairing& pairing)
{
    std::vector<TStageChange> changes;
    for (std::size_t j = 0; j < b.size(); ++j) {
        const int i = pairing.AOfB[j];
        const int number = static_cast<int>(j);
        if (i < 0) {
            if (!IsEmptyRecord(b[j]))
                changes.push_back({TStageChangeKind::Added, -1, number});
        } else if (!RecordsEqual(a[static_cast<std::size_t>(i)], b[j])) {
            changes.push_back({TStageChangeKind::Changed, i, number});
        } else if (i != number) {
            changes.push_back({TStageChangeKind::Moved, i, number});
        }
    }
    for (std::size_t i = 0; i < a.size(); ++i)
        if (pairing.BOfA[i] < 0 && !IsEmptyRecord(a[i]))
            changes.push_back({TStageChangeKind::Removed, static_cast<int>(i), -1});
    return changes;
}

const char* StageChangeName(TStageChangeKind kind)
{
    switch (kind) {
    case TStageChangeKind::Moved: return "moved";
    case TStageChangeKind::Changed: return "changed";
    case TStageChangeKind::Added: return "added";
    case TStageChangeKind::Removed: break;
    }
    return "removed";
}
