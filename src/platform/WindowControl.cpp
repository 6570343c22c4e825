#include "platform/WindowControl.h"

#include <algorithm>

void TMemoryWindow::Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride, TPixelFormat format)
{
    ++PresentCount;
    const int left = std::max(area.Left, 0), top = std::max(area.Top, 0);
    const int right = std::min(area.Right, Width), bottom = std::min(area.Bottom, Height);
    // The format is tested once per row, so the 32-bit copy is a plain loop.
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* row = pixels + stride * (y - area.Top);
        std::uint32_t* out = Pixels.data() + static_cast<std::size_t>(y) * Width;
        if (format == TPixelFormat::XRGB8888) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(row) - area.Left;
            for (int x = left; x < right; ++x)
                out[x] = from[x] & 0x00FFFFFFu;
        } else {
            const auto* from = reinterpret_cast<const std::uint16_t*>(row) - area.Left;
            for (int x = left; x < right; ++x) {
                const std::uint32_t p = from[x];
                out[x] = ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x001F) << 3);
            }
        }
    }
}
