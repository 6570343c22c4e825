#include "storage/StageMerge.h"

#include "storage/StagePairing.h"

#include <algorithm>
#include <cstring>

namespace {

// Sides in the order the conflicts list their values.
enum TSideIndex { BaseSide = 0, OursSide = 1, TheirsSide = 2 };

// What a stage is to the order merge: the empty stage (all alike), a stage
// of the base (by its number), or one that only its side has (by its number
// there).
struct TToken {
    enum class TKind { Empty, Base, New } Kind = TKind::Empty;
    int Index = -1;
};

// One side as the order merge sees it.
struct TSide {
    const std::vector<StageRecord>* Records = nullptr;
    TStagePairing Pairing;       // base -> this side
    std::vector<TToken> Tokens;  // its stages up to the last non-empty one
    std::vector<int> Match;      // for each base token: the token of this side aligned with it, or -1
    std::vector<bool> Has;       // for each base stage: the side holds it somewhere

    const StageRecord& Record(int number) const { return (*Records)[static_cast<std::size_t>(number)]; }
};

// Stages up to the last one that is not empty: the empty stages after it
// are padding, which any number of inserts and deletes shifts.
std::size_t ContentLength(const std::vector<StageRecord>& records)
{
    std::size_t length = records.size();
    while (length > 0 && IsEmptyRecord(records[length - 1]))
        --length;
    return length;
}

std::vector<TToken> BaseTokens(const std::vector<StageRecord>& base)
{
    std::vector<TToken> tokens(ContentLength(base));
    for (std::size_t j = 0; j < tokens.size(); ++j)
        if (!IsEmptyRecord(base[j]))
            tokens[j] = {TToken::TKind::Base, static_cast<int>(j)};
    return tokens;
}

TSide MakeSide(const std::vector<StageRecord>& base, const std::vector<StageRecord>& records)
{
    TSide side;
    side.Records = &records;
    side.Pairing = PairStages(base, records);
    side.Tokens.resize(ContentLength(records));
    for (std::size_t i = 0; i < side.Tokens.size(); ++i) {
        const int partner = side.Pairing.AOfB[i];
        if (IsEmptyRecord(records[i]))
            side.Tokens[i] = {TToken::TKind::Empty, -1};
        else
            side.Tokens[i] = {partner >= 0 ? TToken::TKind::Base : TToken::TKind::New,
                              partner >= 0 ? partner : static_cast<int>(i)};
    }
    side.Has.resize(base.size());
    for (std::size_t j = 0; j < base.size(); ++j)
        side.Has[j] = side.Pairing.BOfA[j] >= 0 && !IsEmptyRecord(base[j]);
    return side;
}

bool SameInBase(const TToken& a, const TToken& b)
{
    return a.Kind == b.Kind
           && (a.Kind == TToken::TKind::Empty || (a.Kind == TToken::TKind::Base && a.Index == b.Index));
}

// Aligns the base's tokens with the side's as the longest common
// subsequence, a base stage counting far more than an empty one, so that
// stages stay put and only interchangeable empty stages give way.
void Align(const std::vector<TToken>& base, TSide& side)
{
    const std::size_t rows = base.size() + 1;
    const std::size_t columns = side.Tokens.size() + 1;
    constexpr int StageWeight = 4096;  // more than any count of empty stages
    std::vector<int> best(rows * columns, 0);
    const auto at = [columns](std::size_t i, std::size_t j) { return i * columns + j; };
    for (std::size_t i = 1; i < rows; ++i)
        for (std::size_t j = 1; j < columns; ++j) {
            int value = std::max(best[at(i - 1, j)], best[at(i, j - 1)]);
            if (SameInBase(base[i - 1], side.Tokens[j - 1]))
                value = std::max(value,
                                 best[at(i - 1, j - 1)] + (base[i - 1].Kind == TToken::TKind::Base ? StageWeight : 1));
            best[at(i, j)] = value;
        }
    side.Match.assign(base.size(), -1);
    for (std::size_t i = base.size(), j = side.Tokens.size(); i > 0 && j > 0;) {
        const int weight = base[i - 1].Kind == TToken::TKind::Base ? StageWeight : 1;
        if (SameInBase(base[i - 1], side.Tokens[j - 1]) && best[at(i, j)] == best[at(i - 1, j - 1)] + weight) {
            side.Match[i - 1] = static_cast<int>(j - 1);
            --i;
            --j;
        } else if (best[at(i - 1, j)] >= best[at(i, j - 1)]) {
            --i;
        } else {
            --j;
        }
    }
}

// A stage placed in the result by the order merge.
struct TPlaced {
    TToken Token;
    TSideIndex Source = OursSide;  // whose tokens it is (a New token's index is that side's number)
    // All three, or both sides alike, put it there, or a conflict listed
    // already covers it.
    bool Settled = false;
    bool Dropped = false;
};

class TMerger {
public:
    TMerger(const std::vector<StageRecord>& base, const std::vector<StageRecord>& ours,
            const std::vector<StageRecord>& theirs, TMergeSide prefer)
        : FBase(base),
          FBaseTokens(BaseTokens(base)),
          FOurs(MakeSide(base, ours)),
          FTheirs(MakeSide(base, theirs)),
          FPrefer(prefer == TMergeSide::Ours ? OursSide : TheirsSide)
    {
        Align(FBaseTokens, FOurs);
        Align(FBaseTokens, FTheirs);
    }

    TStageMerge Merge(std::size_t maxRecords)
    {
        MergeOrder();
        DropTwiceAndOrphaned();
        PlaceLost();
        std::vector<int> numbers(FPlaced.size() + 1, 0);  // placed index -> number in the result
        int kept = 0;
        for (std::size_t p = 0; p < FPlaced.size(); ++p) {
            numbers[p] = kept;
            kept += FPlaced[p].Dropped ? 0 : 1;
        }
        numbers[FPlaced.size()] = kept;

        TStageMerge merge;
        const std::size_t length = std::max(static_cast<std::size_t>(kept), PaddedLength());
        if (length > maxRecords) {
            merge.Error = "the merged file would hold " + std::to_string(length) + " records, more than "
                          + std::to_string(maxRecords);
            return merge;
        }
        StageRecord empty;
        EmptyStage(empty);
        merge.Records.assign(length, empty);
        std::size_t next = 0;  // the next conflict of the order merge
        const auto listUpTo = [&](std::size_t placed) {
            for (; next < FPending.size() && FPending[next].Placed <= placed; ++next) {
                TMergeConflict conflict = FPending[next].Conflict;
                conflict.Stage = FPending[next].Gone ? -1 : numbers[placed];
                merge.Conflicts.push_back(conflict);
            }
        };
        for (std::size_t p = 0; p < FPlaced.size(); ++p) {
            listUpTo(p);
            if (!FPlaced[p].Dropped)
                Build(FPlaced[p], numbers[p], merge.Records[static_cast<std::size_t>(numbers[p])], merge.Conflicts);
        }
        listUpTo(FPlaced.size());
        return merge;
    }

private:
    // A conflict of the order merge, at the placed index where it is
    // listed; Gone when the stage it names is not in the result.
    struct TPending {
        std::size_t Placed = 0;
        bool Gone = false;
        TMergeConflict Conflict;
    };

    const std::vector<StageRecord>& FBase;
    std::vector<TToken> FBaseTokens;
    TSide FOurs;
    TSide FTheirs;
    TSideIndex FPrefer;
    std::vector<TPlaced> FPlaced;
    std::vector<TPending> FPending;  // by placed index

    const TSide& Side(TSideIndex index) const { return index == OursSide ? FOurs : FTheirs; }

    // Two sides' tokens alike: the same base stage, both empty, or stages
    // new on both sides with the same bytes.
    bool SameAcross(const TToken& ours, const TToken& theirs) const
    {
        if (ours.Kind == TToken::TKind::New && theirs.Kind == TToken::TKind::New)
            return RecordsEqual(FOurs.Record(ours.Index), FTheirs.Record(theirs.Index));
        return SameInBase(ours, theirs);
    }

    template <typename TSame>
    static bool SameStretch(const std::vector<TToken>& a, std::size_t aFrom, std::size_t aTo,
                            const std::vector<TToken>& b, std::size_t bFrom, std::size_t bTo, const TSame& same)
    {
        if (aTo - aFrom != bTo - bFrom)
            return false;
        for (std::size_t k = 0; k < aTo - aFrom; ++k)
            if (!same(a[aFrom + k], b[bFrom + k]))
                return false;
        return true;
    }

    // The base's stages of a stretch that `remover` holds nowhere while
    // `changer` changed their bytes: changes that taking the remover's
    // stretch would lose.
    std::vector<int> ChangedButRemoved(std::size_t from, std::size_t to, const TSide& remover,
                                       const TSide& changer) const
    {
        std::vector<int> lost;
        for (std::size_t b = from; b < to; ++b)
            if (FBaseTokens[b].Kind == TToken::TKind::Base && !remover.Has[b] && changer.Has[b]
                && !RecordsEqual(FBase[b], changer.Record(changer.Pairing.BOfA[b])))
                lost.push_back(static_cast<int>(b));
        return lost;
    }

    void Place(TSideIndex source, std::size_t from, std::size_t to, bool settled)
    {
        const std::vector<TToken>& tokens = Side(source).Tokens;
        for (std::size_t k = from; k < to; ++k)
            FPlaced.push_back({tokens[k], source, settled, false});
    }

    // The stages of a side's stretch but empty ones and `left`: what a
    // removal of `left` changes beyond removing them.
    static std::vector<TToken> Besides(const std::vector<TToken>& tokens, std::size_t from, std::size_t to,
                                       const std::vector<int>& left)
    {
        std::vector<TToken> kept;
        for (std::size_t k = from; k < to; ++k)
            if (tokens[k].Kind != TToken::TKind::Empty
                && !(tokens[k].Kind == TToken::TKind::Base
                     && std::find(left.begin(), left.end(), tokens[k].Index) != left.end()))
                kept.push_back(tokens[k]);
        return kept;
    }

    TMergeConflict StageConflict(std::size_t baseNumber) const
    {
        TMergeConflict conflict;
        conflict.Kind = TMergeConflict::TKind::Stage;
        conflict.Base = static_cast<int>(baseNumber);
        conflict.Ours = FOurs.Pairing.BOfA[baseNumber];
        conflict.Theirs = FTheirs.Pairing.BOfA[baseNumber];
        return conflict;
    }

    // One stretch that differs somewhere: base [from[0], to[0]), ours
    // [from[1], to[1]), theirs [from[2], to[2]).
    void MergeStretch(const std::size_t (&from)[3], const std::size_t (&to)[3])
    {
        const auto sameInBase = [](const TToken& a, const TToken& b) { return SameInBase(a, b); };
        const bool oursChanged = !SameStretch(FOurs.Tokens, from[OursSide], to[OursSide], FBaseTokens, from[BaseSide],
                                              to[BaseSide], sameInBase);
        const bool theirsChanged = !SameStretch(FTheirs.Tokens, from[TheirsSide], to[TheirsSide], FBaseTokens,
                                                from[BaseSide], to[BaseSide], sameInBase);
        std::vector<int> lost;
        bool orderConflict = true;
        if (!oursChanged || !theirsChanged) {
            // Only one side changed the stretch: it is taken, unless that
            // removes a stage the other side changed.
            const TSideIndex taker = oursChanged ? OursSide : TheirsSide;
            const TSideIndex other = taker == OursSide ? TheirsSide : OursSide;
            lost = ChangedButRemoved(from[BaseSide], to[BaseSide], Side(taker), Side(other));
            if (lost.empty()) {
                Place(taker, from[taker], to[taker], false);
                return;
            }
            const std::vector<TToken> removed = Besides(Side(taker).Tokens, from[taker], to[taker], lost);
            const std::vector<TToken> before = Besides(FBaseTokens, from[BaseSide], to[BaseSide], lost);
            orderConflict = !SameStretch(removed, 0, removed.size(), before, 0, before.size(), sameInBase);
        } else if (SameStretch(FOurs.Tokens, from[OursSide], to[OursSide], FTheirs.Tokens, from[TheirsSide],
                               to[TheirsSide], [this](const TToken& a, const TToken& b) { return SameAcross(a, b); })) {
            Place(OursSide, from[OursSide], to[OursSide], true);
            return;
        }
        const std::size_t at = FPlaced.size();
        Place(FPrefer, from[FPrefer], to[FPrefer], true);
        if (orderConflict) {
            TMergeConflict conflict;
            conflict.Kind = TMergeConflict::TKind::Order;
            for (int s = 0; s < 3; ++s) {
                conflict.From[s] = static_cast<int>(from[s]);
                conflict.To[s] = static_cast<int>(to[s]);
            }
            AddPending(at, false, conflict);
        }
        for (const int baseNumber : lost) {
            const auto placed = std::find_if(
                FPlaced.begin() + static_cast<std::ptrdiff_t>(at), FPlaced.end(), [baseNumber](const TPlaced& p) {
                    return p.Token.Kind == TToken::TKind::Base && p.Token.Index == baseNumber;
                });
            AddPending(placed == FPlaced.end() ? at : static_cast<std::size_t>(placed - FPlaced.begin()),
                       placed == FPlaced.end(), StageConflict(static_cast<std::size_t>(baseNumber)));
        }
    }

    // diff3 over the two alignments: runs where all three agree are kept,
    // and each stretch between them merges as a whole.
    void MergeOrder()
    {
        const std::size_t bases = FBaseTokens.size();
        std::size_t b = 0, o = 0, t = 0;
        while (b < bases || o < FOurs.Tokens.size() || t < FTheirs.Tokens.size()) {
            if (b < bases && FOurs.Match[b] == static_cast<int>(o) && FTheirs.Match[b] == static_cast<int>(t)) {
                FPlaced.push_back({FOurs.Tokens[o], OursSide, true, false});
                ++b, ++o, ++t;
                continue;
            }
            std::size_t sync = b;
            while (sync < bases && (FOurs.Match[sync] < 0 || FTheirs.Match[sync] < 0))
                ++sync;
            const std::size_t from[3] = {b, o, t};
            const std::size_t to[3] = {
                sync, sync < bases ? static_cast<std::size_t>(FOurs.Match[sync]) : FOurs.Tokens.size(),
                sync < bases ? static_cast<std::size_t>(FTheirs.Match[sync]) : FTheirs.Tokens.size()};
            MergeStretch(from, to);
            b = to[BaseSide];
            o = to[OursSide];
            t = to[TheirsSide];
        }
    }

    // A base stage placed twice (each side moved it elsewhere) keeps the
    // preferred side's place; one that a side moved while the other removed
    // it stays or goes as the preferred side has it. Both are conflicts.
    void DropTwiceAndOrphaned()
    {
        std::vector<std::vector<std::size_t>> places(FBase.size());
        for (std::size_t p = 0; p < FPlaced.size(); ++p)
            if (FPlaced[p].Token.Kind == TToken::TKind::Base)
                places[static_cast<std::size_t>(FPlaced[p].Token.Index)].push_back(p);
        for (std::size_t j = 0; j < places.size(); ++j) {
            const std::vector<std::size_t>& at = places[j];
            if (at.size() == 2) {
                const std::size_t kept = FPlaced[at[0]].Source == FPrefer ? at[0] : at[1];
                FPlaced[kept == at[0] ? at[1] : at[0]].Dropped = true;
                AddPending(kept, false, StageConflict(j));
            } else if (at.size() == 1 && !FPlaced[at[0]].Settled) {
                TPlaced& placed = FPlaced[at[0]];
                if (Side(placed.Source == OursSide ? TheirsSide : OursSide).Has[j])
                    continue;
                placed.Dropped = placed.Source != FPrefer;
                AddPending(at[0], placed.Dropped, StageConflict(j));
            }
        }
    }

    // A stage both sides hold can go missing when one side moved it and
    // the stretch it moved into was a conflict decided for the other side:
    // it then goes back where the preferred side has it, after the stage it
    // follows there.
    void PlaceLost()
    {
        std::vector<bool> placed(FBase.size());
        for (const TPlaced& p : FPlaced)
            if (p.Token.Kind == TToken::TKind::Base && !p.Dropped)
                placed[static_cast<std::size_t>(p.Token.Index)] = true;
        const TSide& preferred = Side(FPrefer);
        for (std::size_t k = 0; k < preferred.Tokens.size(); ++k) {
            const TToken& token = preferred.Tokens[k];
            const std::size_t j = static_cast<std::size_t>(token.Index);
            if (token.Kind != TToken::TKind::Base || placed[j] || !FOurs.Has[j] || !FTheirs.Has[j])
                continue;
            std::size_t at = 0;
            for (std::size_t before = k; before-- > 0 && at == 0;) {
                const TToken& previous = preferred.Tokens[before];
                const auto it = std::find_if(FPlaced.begin(), FPlaced.end(), [&](const TPlaced& p) {
                    return !p.Dropped && previous.Kind != TToken::TKind::Empty && p.Token.Kind == previous.Kind
                           && p.Token.Index == previous.Index
                           && (previous.Kind == TToken::TKind::Base || p.Source == FPrefer);
                });
                if (it != FPlaced.end())
                    at = static_cast<std::size_t>(it - FPlaced.begin()) + 1;
            }
            FPlaced.insert(FPlaced.begin() + static_cast<std::ptrdiff_t>(at), {token, FPrefer, true, false});
            for (TPending& pending : FPending)
                pending.Placed += pending.Placed >= at ? 1 : 0;
            placed[j] = true;
        }
    }

    void AddPending(std::size_t placed, bool gone, const TMergeConflict& conflict)
    {
        const auto it = std::upper_bound(FPending.begin(), FPending.end(), placed,
                                         [](std::size_t at, const TPending& pending) { return at < pending.Placed; });
        FPending.insert(it, {placed, gone, conflict});
    }

    std::size_t PaddedLength() const
    {
        const std::size_t base = FBase.size();
        const std::size_t ours = FOurs.Records->size();
        const std::size_t theirs = FTheirs.Records->size();
        if (ours != base && theirs != base)
            return std::max(ours, theirs);
        return ours != base ? ours : theirs;
    }

    void Build(const TPlaced& placed, int number, StageRecord& record, std::vector<TMergeConflict>& conflicts) const
    {
        const TToken& token = placed.Token;
        if (token.Kind == TToken::TKind::Empty)
            return;  // the record is empty already
        if (token.Kind == TToken::TKind::New) {
            record = Side(placed.Source).Record(token.Index);
            return;
        }
        const std::size_t j = static_cast<std::size_t>(token.Index);
        const int ours = FOurs.Has[j] ? FOurs.Pairing.BOfA[j] : -1;
        const int theirs = FTheirs.Has[j] ? FTheirs.Pairing.BOfA[j] : -1;
        if (ours < 0 || theirs < 0) {
            record = ours < 0 ? FTheirs.Record(theirs) : FOurs.Record(ours);
            return;
        }
        TMergeConflict where;
        where.Stage = number;
        where.Base = token.Index;
        where.Ours = ours;
        where.Theirs = theirs;
        MergeRecord(FBase[j], FOurs.Record(ours), FTheirs.Record(theirs),
                    FPrefer == OursSide ? TMergeSide::Ours : TMergeSide::Theirs, record, conflicts, where);
    }
};

// One unit of a record (a cell's two codes, or a field) merged: the side
// that changed it, or, when both changed it differently, the preferred side
// and true.
template <typename TEqual>
bool MergeUnit(const TEqual& equal, TSideIndex prefer, TSideIndex& taken)
{
    if (equal(OursSide, TheirsSide) || equal(BaseSide, TheirsSide)) {
        taken = OursSide;
        return false;
    }
    if (equal(BaseSide, OursSide)) {
        taken = TheirsSide;
        return false;
    }
    taken = prefer;
    return true;
}

}  // namespace

void MergeRecord(const StageRecord& base, const StageRecord& ours, const StageRecord& theirs, TMergeSide prefer,
                 StageRecord& result, std::vector<TMergeConflict>& conflicts, const TMergeConflict& where)
{
    const StageRecord* sides[3] = {&base, &ours, &theirs};
    const TSideIndex preferred = prefer == TMergeSide::Ours ? OursSide : TheirsSide;
    if (RecordsEqual(ours, theirs) || RecordsEqual(base, theirs) || RecordsEqual(base, ours)) {
        result = RecordsEqual(base, ours) ? theirs : ours;
        return;
    }
    StageRecord merged = ours;
    for (const TRecordField& field : RecordFields()) {
        TSideIndex taken = OursSide;
        const bool conflict = MergeUnit(
            [&](TSideIndex a, TSideIndex b) { return FieldBytes(*sides[a], field) == FieldBytes(*sides[b], field); },
            preferred, taken);
        std::memcpy(reinterpret_cast<char*>(&merged) + field.Offset,
                    reinterpret_cast<const char*>(sides[taken]) + field.Offset, field.Size);
        if (conflict) {
            conflicts.push_back(where);
            conflicts.back().Kind = TMergeConflict::TKind::Field;
            conflicts.back().Field = &field;
        }
    }
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            TSideIndex taken = OursSide;
            const bool conflict = MergeUnit(
                [&](TSideIndex a, TSideIndex b) {
                    return sides[a]->BG[x][y] == sides[b]->BG[x][y] && sides[a]->FG[x][y] == sides[b]->FG[x][y];
                },
                preferred, taken);
            merged.BG[x][y] = sides[taken]->BG[x][y];
            merged.FG[x][y] = sides[taken]->FG[x][y];
            if (conflict) {
                conflicts.push_back(where);
                conflicts.back().Kind = TMergeConflict::TKind::Cell;
                conflicts.back().Column = x;
                conflicts.back().Row = y;
            }
        }
    result = merged;
}

TStageMerge MergeStageSets(const std::vector<StageRecord>& base, const std::vector<StageRecord>& ours,
                           const std::vector<StageRecord>& theirs, TMergeSide prefer, std::size_t maxRecords)
{
    return TMerger(base, ours, theirs, prefer).Merge(maxRecords);
}
