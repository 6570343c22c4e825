#pragma once
// What the display needs of the window it shows in. The main window
// implements it; tests and the command-line renderer use TMemoryWindow.

#include "platform/PixelOps.h"
#include "platform/Types.h"

#include <cstdint>
#include <vector>

class TWindowControl {
public:
    virtual ~TWindowControl() = default;

    // Size of the client area in pixels.
    virtual TPoint ClientSize() const = 0;
    // Top-left corner of the client area in screen coordinates.
    virtual TPoint ClientOrigin() const = 0;
    // The visible parts of the client area in client coordinates. Returns false
    // when the whole client area is visible (rects is then left alone); true
    // with an empty list when nothing is visible.
    virtual bool VisibleRegion(std::vector<TRect>& rects) const
    {
        (void)rects;
        return false;
    }
    // The screen under the client rectangle `area` (client coordinates, already
    // clipped to the client area and the visible region) now holds `pixels`:
    // the top-left pixel of `area`, rows `stride` bytes apart (0: every row is
    // the same, as for a fill), in `format`. The pixels are only valid during
    // the call.
    virtual void Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format) = 0;
};

// A window that keeps what was presented to it in memory (32-bit 0x00RRGGBB).
class TMemoryWindow : public TWindowControl {
public:
    TMemoryWindow(int width, int height, TPoint origin = {0, 0})
        : Width(width),
          Height(height),
          Origin(origin),
          Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)
    {
    }

    TPoint ClientSize() const override { return {Width, Height}; }
    TPoint ClientOrigin() const override { return Origin; }
    void Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format) override;

    std::uint32_t Pixel(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }

    int Width;
    int Height;
    TPoint Origin;
    std::vector<std::uint32_t> Pixels;
    int PresentCount = 0;
};
