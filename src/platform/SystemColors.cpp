#include "platform/SystemColors.h"

#include <array>

namespace {

// The classic desktop scheme; index 25 is not a system colour and stays black.
constexpr std::array<TColor, SystemColorCount> ClassicScheme = {
    RGBColor(212, 208, 200),  // scroll bar
    RGBColor(58, 110, 165),   // desktop
    RGBColor(10, 36, 106),    // active caption
    RGBColor(128, 128, 128),  // inactive caption
    RGBColor(212, 208, 200),  // menu
    RGBColor(255, 255, 255),  // window
    RGBColor(0, 0, 0),        // window frame
    RGBColor(0, 0, 0),        // menu text
    RGBColor(0, 0, 0),        // window text
    RGBColor(255, 255, 255),  // caption text
    RGBColor(212, 208, 200),  // active border
    RGBColor(212, 208, 200),  // inactive border
    RGBColor(128, 128, 128),  // application workspace
    RGBColor(10, 36, 106),    // highlight
    RGBColor(255, 255, 255),  // highlighted text
    RGBColor(212, 208, 200),  // button face
    RGBColor(128, 128, 128),  // button shadow
    RGBColor(128, 128, 128),  // grey text
    RGBColor(0, 0, 0),        // button text
    RGBColor(212, 208, 200),  // inactive caption text
    RGBColor(255, 255, 255),  // button highlight
    RGBColor(64, 64, 64),     // 3-D dark shadow
    RGBColor(212, 208, 200),  // 3-D light
    RGBColor(0, 0, 0),        // tooltip text
    RGBColor(255, 255, 225),  // tooltip background
    RGBColor(0, 0, 0),        // (none)
    RGBColor(0, 0, 128),      // hot-track
    RGBColor(166, 202, 240),  // active caption gradient
    RGBColor(192, 192, 192),  // inactive caption gradient
    RGBColor(10, 36, 106),    // menu highlight
    RGBColor(212, 208, 200),  // menu bar
};

std::array<TColor, SystemColorCount>& Table()
{
    static std::array<TColor, SystemColorCount> table = ClassicScheme;
    return table;
}

// The table index a system colour value names, or -1. As on the desktop,
// only the low byte counts.
int IndexOf(TColor color)
{
    if (!IsSystemColor(color))
        return -1;
    const int index = static_cast<int>(color & 0xFF);
    return index < SystemColorCount && index != 25 ? index : -1;
}

}  // namespace

TColor ColorToRGB(TColor color)
{
    if (!IsSystemColor(color))
        return color;
    const int index = IndexOf(color);
    return index < 0 ? 0 : Table()[static_cast<std::size_t>(index)];
}

void SetSystemColor(TColor systemColor, TColor rgb)
{
    const int index = IndexOf(systemColor);
    if (index >= 0)
        Table()[static_cast<std::size_t>(index)] = rgb & 0xFFFFFF;
}

void ResetSystemColors()
{
    Table() = ClassicScheme;
}
