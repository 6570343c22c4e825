// The palette's table on its own: what each button's brush may hold.
#include "editor/Palette.h"

#include <gtest/gtest.h>

#include <algorithm>

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
