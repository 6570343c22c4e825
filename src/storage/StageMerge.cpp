#include "storage/StageMerge.h"

#include "storage/StageAlignment.h"

#include <algorithm>

namespace {

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
          FOurs(MakeSideTokens(base, ours)),
          FTheirs(MakeSideTokens(base, theirs)),
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
    TSideTokens FOurs;
    TSideTokens FTheirs;
    TSideIndex FPrefer;
    std::vector<TPlaced> FPlaced;
    std::vector<TPending> FPending;  // by placed index

    const TSideTokens& Side(TSideIndex index) const { return index == OursSide ? FOurs : FTheirs; }

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
    std::vector<int> ChangedButRemoved(std::size_t from, std::size_t to, const TSideTokens& remover,
                                       const TSideTokens& changer) const
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
        const TSideTokens& preferred = Side(FPrefer);
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

}  // namespace

TStageMerge MergeStageSets(const std::vector<StageRecord>& base, const std::vector<StageRecord>& ours,
                           const std::vector<StageRecord>& theirs, TMergeSide prefer, std::size_t maxRecords)
{
    return TMerger(base, ours, theirs, prefer).Merge(maxRecords);
}
