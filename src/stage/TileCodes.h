#pragma once
// Tile codes and the rules that belong to the codes themselves, shared by the
// editor, the file formats and the art generator: the field's size, the
// special codes, which codes may not share a cell and the shadow rule. Codes
// 0..7 are ground (BG), 8..15 and 24..63 objects (FG), 16..23 the shadow
// patterns.

#include <array>
#include <cstdint>

constexpr int FieldColumns = 40;
constexpr int FieldRows = 30;
constexpr int EmptyCode = -1;
// The ring of cells around the field holds this code (a solid wall).
constexpr int BorderCode = 64;
// The byte that stands for a line break in a stored caption.
constexpr std::uint8_t LineBreakMark = 128;
constexpr std::uint32_t DefaultBGColor = 1056808;  // red 40, green 32, blue 16

constexpr bool InCodeRange(int code, int low, int high)
{
    return code >= low && code <= high;
}

// Water and the like (BG 4..7) never share a cell with a solid object
// (FG 24..63): whichever is written later wins.
constexpr bool IsExclusiveBG(int code)
{
    return InCodeRange(code, 4, 7);
}

constexpr bool IsExclusiveFG(int code)
{
    return InCodeRange(code, 24, 63);
}

// --- The shadow rule. FG code sets as bits of one table entry per code
// 0..63; every other code (-1 empty, 64 the border, anything a damaged record
// holds) belongs to no set.
enum TShadowSet : std::uint8_t { NoShadow = 1, SetT = 2, SetU = 4, SetA = 8, SetL = 16, SetD = 32 };

constexpr std::array<std::uint8_t, 64> MakeShadowSets()
{
    std::array<std::uint8_t, 64> sets{};
    for (int c = 0; c < 64; ++c) {
        const bool wall = InCodeRange(c, 24, 27) || InCodeRange(c, 40, 63);
        if (InCodeRange(c, 0, 11) || InCodeRange(c, 24, 29) || InCodeRange(c, 40, 63))
            sets[c] |= NoShadow;
        if (c == 34 || c == 35 || c == 39)
            sets[c] |= SetT;
        if (c == 30 || c == 31 || c == 38)
            sets[c] |= SetU;
        if (wall || c == 32 || c == 33)
            sets[c] |= SetA;
        if (wall || c == 30 || c == 31)
            sets[c] |= SetL;
        if (wall || InCodeRange(c, 30, 33))
            sets[c] |= SetD;
    }
    return sets;
}
inline constexpr std::array<std::uint8_t, 64> ShadowSets = MakeShadowSets();

constexpr std::uint8_t ShadowSetsOf(int code)
{
    return (code >= 0 && code < 64) ? ShadowSets[static_cast<std::size_t>(code)] : 0;
}

// The shadow pattern (16..23, or -1 for none) of a cell from the sets of its
// own code and of its neighbours above (a), to the left (l) and above-left (d).
constexpr int ShadowPattern(std::uint8_t c, std::uint8_t a, std::uint8_t l, std::uint8_t d)
{
    if (c & NoShadow)
        return -1;
    if (a & SetT)
        return 23;
    if (a & SetU)
        return 22;
    if (a & SetA)
        return (l & SetL) ? 21 : (d & SetD) ? 20 : 19;
    if (l & SetL)
        return (d & SetD) ? 18 : 17;
    return (d & SetD) ? 16 : -1;
}

// The same from the FG codes of the cell and of those three neighbours.
constexpr int ShadowPatternOfCodes(int code, int above, int left, int aboveLeft)
{
    return ShadowPattern(ShadowSetsOf(code), ShadowSetsOf(above), ShadowSetsOf(left), ShadowSetsOf(aboveLeft));
}
