#pragma once
// How a tile is written for people (listings, diffs, conflicts, the cursor
// readout) and read back from them (command lines): its decimal code with
// the name of what it shows, "24 brick", "-1 empty", "17 shadow",
// "64 border"; a code nothing names is its number alone.

#include <string>
#include <string_view>
#include <vector>

// "brick", "empty", "shadow", "border", or empty for a code nothing names.
std::string_view TileName(int code);
// "24 brick", or "300" for a code nothing names.
std::string TileText(int code);

// A tile as a designer types it: a code ("24", "-1"), a brush's name
// ("steel": all its codes, in order) or "empty" (-1). Brush is the palette
// button a name gave (-1 for a code or "empty").
struct TTileChoice {
    std::vector<int> Codes;
    int Brush = -1;
};
// False (choice untouched) when `text` is neither a code in -32768..32767 nor
// a name.
bool ParseTileChoice(std::string_view text, TTileChoice& choice);
