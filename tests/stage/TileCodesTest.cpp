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

// The same cases as the live shadow layer's, on the codes alone: the art
// generator composes its previews with this function.
TEST(TileCodes, ShadowPatternOfCodes)
{
    struct Case {
        int C, A, L, D;
        int Want;
    };
    const Case cases[] = {
        {8, 34, 24, 24, -1},  {-1, 34, 24, 24, 23}, {-1, 38, -1, -1, 22}, {-1, 24, 31, -1, 21},
        {-1, 32, -1, 30, 20}, {36, 63, 32, 34, 19}, {-1, -1, 30, 33, 18}, {-1, 12, 31, -1, 17},
        {-1, -1, -1, 33, 16}, {-1, 28, -1, 28, -1}, {-1, 64, 64, 64, -1}, {-1, -2, 99, -300, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShadowPatternOfCodes(c.C, c.A, c.L, c.D), c.Want)
            << "c " << c.C << " a " << c.A << " l " << c.L << " d " << c.D;
}
