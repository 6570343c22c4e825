// The palette's table on its own: what each button's brush may hold, and
// the names a tile is written and typed with.
#include "stage/Palette.h"
#include "stage/TileNotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(Palette, BrushesHoldOneToFourCodesOfOneGroup)
{
    EXPECT_EQ(PaletteTable[0], EmptyCode);  // the eraser
    EXPECT_EQ(PaletteTable[PaletteButtonCount], BorderCode);
    for (int button = 1; button < PaletteButtonCount; ++button) {
        const int first = PaletteTable[button];
        const int next = PaletteTable[button + 1];
        EXPECT_LT(first, next) << button;
        // A brush (at most four codes) never reaches the shadow patterns 16..23.
        const int last = first + std::min(next - first, 4) - 1;
        EXPECT_TRUE(last < 16 || first > 23) << button;
        // Only palettes 14..17 scatter.
        EXPECT_EQ(IsScatteredGroup(first), button >= 14 && button <= 17) << button;
    }
}

// A tile as people read and type it: every code a brush paints carries that
// brush's name, and each name (and "empty") reads back as its brush's codes.
TEST(Palette, TilesAreWrittenAndReadByTheirBrushNames)
{
    const struct {
        int Code;
        const char* Text;
    } written[] = {{-1, "-1 empty"},  {0, "0 grass"},   {7, "7 water"},    {24, "24 brick"},
                   {36, "36 rubble"}, {43, "43 steel"}, {17, "17 shadow"}, {63, "63 furnace"},
                   {64, "64 border"}, {-2, "-2"},       {300, "300"}};
    for (const auto& row : written)
        EXPECT_EQ(TileText(row.Code), row.Text) << row.Code;

    for (int button = 1; button < PaletteButtonCount; ++button) {
        TTileChoice choice;
        ASSERT_TRUE(ParseTileChoice(BrushNames[static_cast<std::size_t>(button)], choice)) << button;
        EXPECT_EQ(choice.Brush, button);
        EXPECT_EQ(choice.Codes.front(), BrushFirstCode(button));
        EXPECT_EQ(static_cast<int>(choice.Codes.size()), BrushCodeCount(button));
    }
    TTileChoice choice;
    EXPECT_TRUE(ParseTileChoice("empty", choice) && choice.Codes == std::vector<int>{-1});
    EXPECT_TRUE(ParseTileChoice("24", choice) && choice.Codes == std::vector<int>{24} && choice.Brush == -1);
    for (const char* bad : {"", "Steel", "24x", "40000", "eraser", " 24"})
        EXPECT_FALSE(ParseTileChoice(bad, choice)) << bad;
}
