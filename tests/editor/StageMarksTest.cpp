// What the compare view and Find keep of the stage set: each stage's mark
// and the stage the live one is compared with; each stage's count, the
// layers a code is sought in and the next stage holding it.
#include "editor/StageComparison.h"
#include "editor/TileSearch.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <string>

TEST(StageComparison, EachStageIsMarkedAndComparedWithItsPartner)
{
    const struct {
        const char* Compared;
        const char* Current;
        const char* Marks;     // per current stage: '.' none, 'c'hanged, 'm'oved, 'a'dded
        const char* Partners;  // the compared stage's letter, '-' the empty stage
        int Removed;
    } cases[] = {
        {"ABC", "ABC", "...", "ABC", 0},   {"ABC", "ACB", ".mm", "ACB", 0}, {"ABC", "AXC", ".c.", "ABC", 0},
        {"AB", "AB.D", "...a", "AB--", 0}, {"ABC", "A.C", "...", "A-C", 1},
    };
    for (const auto& c : cases) {
        TStageComparison comparison;
        comparison.Start(LetterStages(c.Compared), "old.dat");
        const std::vector<StageRecord> current = LetterStages(c.Current);
        comparison.Pair(current);
        std::string marks, partners;
        for (int n = 0; n < static_cast<int>(current.size()); ++n) {
            const TStageChange* change = comparison.Change(n);
            marks += !change ? '.' : "mcar"[static_cast<int>(change->Kind)];
            const StageRecord& partner = comparison.Partner(n);
            partners += IsEmptyRecord(partner) ? '-' : partner.Caption.Chars[0];
        }
        EXPECT_EQ(marks, c.Marks) << c.Current;
        EXPECT_EQ(partners, c.Partners) << c.Current;
        EXPECT_EQ(comparison.Count(TStageChangeKind::Removed), c.Removed) << c.Current;
        const std::uint64_t revision = comparison.Revision();
        comparison.Stop();
        EXPECT_GT(comparison.Revision(), revision);
        EXPECT_FALSE(comparison.Change(1));
        EXPECT_TRUE(IsEmptyRecord(comparison.Partner(0)));
    }
}

TEST(TileSearch, CountsTheLayersACodeIsSoughtInAndFindsTheNextStage)
{
    // A: two steel cells and a water code where FG cannot hold it; B: one
    // steel; C: none. Every other cell is empty in both layers.
    std::vector<StageRecord> stages = LetterStages("ABC");
    stages[0].FG[0][0] = 40;
    stages[0].FG[1][0] = 43;
    stages[0].FG[2][0] = 4;
    stages[1].FG[5][5] = 41;
    const int cells = FieldColumns * FieldRows;
    const struct {
        std::vector<int> Codes;
        const char* Caption;
        std::vector<int> Found;
        int Next, Previous;      // from stage 0
        int NextFromPastTheEnd;  // from stage 150
    } cases[] = {
        {{40, 41, 42, 43}, "", {2, 1, 0}, 1, 1, 0},
        {{4}, "", {0, 0, 0}, -1, -1, -1},
        {{-1}, "", {2 * cells - 3, 2 * cells - 1, 2 * cells}, 1, 2, 0},
        {{}, "b", {0, 1, 0}, 1, 1, 1},
    };
    for (const auto& c : cases) {
        TTileSearch search;
        search.Start({c.Codes, c.Caption, "sought"});
        search.Count(stages);
        const std::string what = c.Codes.empty() ? c.Caption : std::to_string(c.Codes.front());
        EXPECT_EQ((std::vector<int>{search.Found(0), search.Found(1), search.Found(2)}), c.Found) << what;
        EXPECT_EQ(search.Stages(), (c.Found[0] > 0) + (c.Found[1] > 0) + (c.Found[2] > 0)) << what;
        EXPECT_EQ(search.Next(0, true), c.Next) << what;
        EXPECT_EQ(search.Next(0, false), c.Previous) << what;
        EXPECT_EQ(search.Next(150, true), c.NextFromPastTheEnd) << what;
    }
    TTileSearch water;
    water.Start({{4}, "", "4 water"});
    EXPECT_TRUE(water.Holds(TStageLayer::BG, 4));
    EXPECT_FALSE(water.Holds(TStageLayer::FG, 4));
}
