#pragma once
// The tool window's palette: the first tile code of each of its 20 buttons,
// with a sentinel at the end. A button's brush holds the codes up to the next
// button's first, at most four. Button 0 is the eraser. The art generator
// draws the buttons' pictures from this table too.

#include "stage/TileCodes.h"

#include <cstdint>

constexpr int PaletteButtonCount = 20;
inline constexpr std::int16_t PaletteTable[PaletteButtonCount + 1] = {-1, 0,  4,  8,  12, 24, 28, 30, 32, 34, 36,
                                                                      37, 38, 39, 40, 44, 48, 52, 56, 60, 64};
// The first FG code: a brush starting here or above paints the FG layer.
constexpr int FirstFGCode = 8;

// Palettes 14..17 (codes 40..55): the fill tool gives each cell one of three
// variants at random instead of diagonal stripes.
constexpr bool IsScatteredGroup(int firstCode)
{
    return InCodeRange(firstCode, 40, 55);
}
