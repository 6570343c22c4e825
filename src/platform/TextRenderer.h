#pragma once
// Text for the drawing layer. Qt renders each printable ASCII glyph of a font
// once; the drawing layer then stamps glyphs itself, so drawing text needs no
// painter and allocates nothing. Other characters go through QPainter.

#include "platform/PixelOps.h"
#include "platform/Types.h"

#include <cstdint>
#include <string_view>
#include <vector>

struct TGlyphSet {
    static constexpr int First = 32;
    static constexpr int Count = 95;  // ' ' .. '~'
    int Height = 0;                   // cell height in pixels
    int CellWidth = 0;                // widest glyph cell
    int Advance[Count] = {};
    std::vector<std::uint8_t> Masks;  // Count cells of Height x CellWidth bytes, 1 = ink

    const std::uint8_t* Mask(int glyph) const
    {
        return Masks.data() + static_cast<std::size_t>(glyph) * Height * CellWidth;
    }
};

// The glyphs of the named font at the given size in points (96 pixels per
// inch). Names the desktop lacks, such as "Fixedsys", fall back to an
// installed font of the same kind. Cached for the life of the process.
const TGlyphSet& GlyphSetFor(std::string_view fontName, int pointSize);

// Draws UTF-8 text with QPainter over the pixels, top-left of its cell at (x, y).
// With a background colour the text's cells are filled with it first.
void PaintTextWithQt(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format, int x,
                     int y, std::string_view text, std::string_view fontName, int pointSize, TColor color,
                     const TColor* background);

// Width and height of UTF-8 text as QPainter would draw it.
TPoint QtTextExtent(std::string_view text, std::string_view fontName, int pointSize);

// Makes sure a Qt GUI application object exists (offscreen when no display).
void EnsureGuiApplication();
