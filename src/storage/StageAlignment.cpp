#include "storage/StageAlignment.h"

#include <algorithm>

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

TSideTokens MakeSideTokens(const std::vector<StageRecord>& base, const std::vector<StageRecord>& records)
{
    TSideTokens side;
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

void Align(const std::vector<TToken>& base, TSideTokens& side)
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
