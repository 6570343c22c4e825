#pragma once
// The drawing layer over a surface's own pixels: pens with styles, widths and
// mix modes, a brush, a font, lines, rectangles, text and pictures. Lines and
// rectangles are drawn here pixel by pixel; text comes from glyphs that Qt
// renders once per font (see TextRenderer.h). Coordinates are pixels of the
// surface; anything outside it is clipped, at any coordinate an int can hold.

#include "platform/Image.h"
#include "platform/PixelOps.h"
#include "platform/Types.h"

#include <cstdint>
#include <string>
#include <string_view>

enum class TPenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
// Copy: pixel := pen. NotMerge: pixel := NOT(pixel OR pen).
enum class TPenMode : std::uint8_t { Copy, NotMerge };
enum class TBrushStyle : std::uint8_t { Solid, Clear };

struct TCanvasPen {
    TColor Color = 0;  // black
    int Width = 1;     // styles other than solid apply to width 1 only, wider pens are solid
    TPenStyle Style = TPenStyle::Solid;
    TPenMode Mode = TPenMode::Copy;
};

struct TCanvasBrush {
    TColor Color = 0xFFFFFF;  // white
    TBrushStyle Style = TBrushStyle::Solid;
};

struct TCanvasFont {
    std::string Name = "MS Sans Serif";
    int Size = 8;  // points, at 96 pixels per inch
    TColor Color = 0;
};

class TDeviceContext {
public:
    TDeviceContext() = default;
    TDeviceContext(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format);
    // Points the context at other pixels and gives it the default pen, brush and font.
    void Reset(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format);

    TCanvasPen Pen;
    TCanvasBrush Brush;
    TCanvasFont Font;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TPixelFormat Format() const { return FFormat; }
    std::uint32_t PixelOf(TColor color) const;

    void MoveTo(int x, int y);
    // A line from the current position up to, not including, (x, y); the pen
    // style continues along consecutive LineTo calls and restarts at MoveTo.
    void LineTo(int x, int y);
    // Outline with the pen on (left, top)..(right - 1, bottom - 1), interior with
    // the brush unless it is clear. The corners may be given in any order.
    void Rectangle(int left, int top, int right, int bottom);
    // The rectangle filled with the brush colour (whatever the brush style).
    void FillRect(const TRect& rect);
    // Text with its cell's top-left corner at (x, y), in the font colour; with a
    // solid brush the cells are filled with the brush colour first.
    void TextOut(int x, int y, std::string_view text);
    // The text's width and height in pixels with the current font.
    TPoint TextExtent(std::string_view text);
    // The picture copied with its top-left corner at (x, y).
    void Draw(int x, int y, const TImageView& image);
    // The picture's rectangle `source` copied into `dest`, scaled to fit (nearest pixel).
    void StretchDraw(const TRect& dest, const TImageView& image, const TRect& source);

    std::uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t pixel);

private:
    bool StyleOn(std::int64_t index) const;
    void Plot(std::int64_t x, std::int64_t y, std::uint32_t pen);
    void Span(std::int64_t x0, std::int64_t x1, std::int64_t y, std::uint32_t pen);  // [x0, x1)
    void StyledHorizontal(std::int64_t x0, std::int64_t x1, std::int64_t y, int step, std::int64_t phase,
                          std::uint32_t pen);
    void StyledVertical(std::int64_t x, std::int64_t y0, std::int64_t y1, int step, std::int64_t phase,
                        std::uint32_t pen);
    void Band(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, std::uint32_t pen);

    std::uint8_t* FPixels = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    std::ptrdiff_t FPitch = 0;
    TPixelFormat FFormat = TPixelFormat::XRGB8888;
    TPoint FPos;
    std::int64_t FStylePhase = 0;
};
