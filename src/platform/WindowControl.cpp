#include "platform/WindowControl.h"

#include <algorithm>

void TMemoryWindow::Present(const TRect& area, const std::uint8_t* pixels, std::ptrdiff_t stride,
                            TPixelFormat format)
{
    ++PresentCount;
    const int left = std::max(area.Left, 0), top = std::max(area.Top, 0);
    const int right = std::min(area.Right, Width), bottom = std::min(area.Bottom, Height);
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* row = pixels + stride * (y - area.Top);
        for (int x = left; x < right; ++x) {
            std::uint32_t rgb;
            if (format == TPixelFormat::XRGB8888) {
                rgb = reinterpret_cast<const std::uint32_t*>(row)[x - area.Left] & 0x00FFFFFFu;
            } else {
                const std::uint32_t p = reinterpret_cast<const std::uint16_t*>(row)[x - area.Left];
                rgb = ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x001F) << 3);
            }
            Pixels[static_cast<std::size_t>(y) * Width + x] = rgb;
        }
    }
}
