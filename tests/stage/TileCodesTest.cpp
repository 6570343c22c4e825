// The rules of the tile codes on their own, without layers.
#include "stage/TileCodes.h"

#include <gtest/gtest.h>

TEST(TileCodes, ExclusiveRangesEndWhereTheGroupsEnd)
{
    struct Case {
        int Code;
        bool BG, FG;
    };
    const Case cases[] = {
        {-1, false, false}, {3, false, false}, {4, true, false},  {7, true, false},   {8, false, false},
        {23, false, false}, {24, false, true}, {63, false, true}, {64, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsExclusiveBG(c.Code), c.BG) << c.Code;
        EXPECT_EQ(IsExclusiveFG(c.Code), c.FG) << c.Code;
    }
}

// The shadow of a cell from its own FG code and those above (a), to the
// left (l) and above-left (d); the live shadow layer and the art generator
// both take it from here.
TEST(TileCodes, ShadowPatternOfCodes)
{
    struct Case {
        int C, A, L, D;
        int Want;
    };
    // clang-format off
    const Case cases[] = {
        {8, 34, 24, 24, -1},    // the cell itself casts no shadow
        {24, 40, -1, -1, -1},
        {45, 40, -1, -1, -1},
        {-1, 34, 24, 24, 23},   // T above
        {-1, 39, -1, -1, 23},
        {12, 34, -1, -1, 23},
        {-1, 30, 24, -1, 22},   // U above
        {-1, 38, -1, -1, 22},
        {-1, 24, 31, -1, 21},   // A above and L left
        {-1, 32, -1, 30, 20},   // A above, D above-left
        {-1, 40, -1, -1, 19},   // A above alone
        {36, 63, 32, 34, 19},   // 32 is not in L, 34 is not in D
        {-1, -1, 30, 33, 18},   // L left and D above-left
        {-1, 12, 31, -1, 17},   // L left alone
        {-1, -1, -1, 33, 16},   // D above-left alone
        {-1, 28, -1, 28, -1},   // 28 belongs to no casting set
        {-1, 64, 64, 64, -1},   // nor does the border code
        {-1, -2, 99, -300, -1}, // nor what a damaged record holds
        {-1, -1, -1, -1, -1},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ShadowPatternOfCodes(c.C, c.A, c.L, c.D), c.Want)
            << "c " << c.C << " a " << c.A << " l " << c.L << " d " << c.D;
}
