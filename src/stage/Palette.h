#pragma once
// The tool window's palette: the first tile code of each of its 20 buttons,
// with a sentinel at the end. A button's brush holds the codes up to the next
// button's first, at most four. Button 0 is the eraser. The art generator
// draws the buttons' pictures from this table too, and the brushes' names
// say what those pictures show.

#include "stage/TileCodes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

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

// The codes of button `button`'s brush: First .. First + Count - 1.
constexpr int BrushFirstCode(int button)
{
    return PaletteTable[button];
}
constexpr int BrushCodeCount(int button)
{
    return std::min(PaletteTable[button + 1] - PaletteTable[button], 4);
}

// What each brush's picture shows, in lower case as a tile is written
// ("24 brick") and typed ("stagetool find steel"); the palette's hints
// capitalise them. One word each, so a name is one argument on a command line.
inline constexpr std::array<std::string_view, PaletteButtonCount> BrushNames = {
    "eraser", "grass",    "water",  "trees", "bush",  "brick", "plate", "sandbags", "concrete", "fence",
    "rubble", "hedgehog", "barrel", "sign",  "steel", "stone", "crate", "ice",      "rock",     "furnace"};

// The palette button whose brush holds `code` (0, the eraser, for the empty
// code); -1 for a code no brush paints (the shadows, the border, anything a
// damaged record holds).
constexpr int BrushOfCode(int code)
{
    for (int button = 0; button < PaletteButtonCount; ++button)
        if (code >= BrushFirstCode(button) && code < BrushFirstCode(button) + BrushCodeCount(button))
            return button;
    return -1;
}
