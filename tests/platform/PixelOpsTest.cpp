// The inner pixel loops against a plain per-pixel reference, in both formats,
// for widths around the vector length (whole vectors, tails, both) and for
// bottom-up rows.
#include "platform/PixelOps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int Width = 70;
constexpr int Height = 5;
constexpr int Bytes = 4;  // room for either format
constexpr std::ptrdiff_t Pitch = Width * Bytes;

struct TImage {
    std::vector<std::uint8_t> Data = std::vector<std::uint8_t>(Pitch * Height);

    std::uint32_t Get(TPixelFormat format, int x, int y) const
    {
        std::uint32_t p = 0;
        std::memcpy(&p, Data.data() + Pitch * y + x * BytesPerPixel(format), BytesPerPixel(format));
        return p;
    }
    void Set(TPixelFormat format, int x, int y, std::uint32_t p)
    {
        std::memcpy(Data.data() + Pitch * y + x * BytesPerPixel(format), &p, BytesPerPixel(format));
    }
};

// Every third source pixel is the key, so runs of kept and copied pixels
// cross the vector boundaries.
std::uint32_t SourceValue(int x, int y, std::uint32_t key)
{
    return (x + y) % 3 == 0 ? key : 0x1000u + static_cast<std::uint32_t>(y * 100 + x);
}

class PixelOpsTest : public testing::TestWithParam<TPixelFormat> {};

TEST_P(PixelOpsTest, LoopsMatchAPerPixelReference)
{
    const TPixelFormat format = GetParam();
    const std::uint32_t key = 0x0F0F & PixelMask(format);
    const std::uint32_t background = 0x4321 & PixelMask(format);
    for (const int width : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40, 63}) {
        for (const bool bottomUp : {false, true}) {
            TImage source, keyed, copied, filled;
            for (int y = 0; y < Height; ++y)
                for (int x = 0; x < Width; ++x) {
                    source.Set(format, x, y, SourceValue(x, y, key));
                    keyed.Set(format, x, y, background);
                    copied.Set(format, x, y, background);
                    filled.Set(format, x, y, background);
                }
            // Rectangle of width x 3 at (2, 1); bottom-up walks the rows from the last one.
            const int top = bottomUp ? 3 : 1;
            const std::ptrdiff_t pitch = bottomUp ? -Pitch : Pitch;
            const int bpp = BytesPerPixel(format);
            auto at = [&](TImage& image) { return image.Data.data() + Pitch * top + 2 * bpp; };
            PixelOps::CopyKeyed(format, at(keyed), pitch, at(source), pitch, width, 3, key);
            PixelOps::Copy(format, at(copied), pitch, at(source), pitch, width, 3);
            PixelOps::Fill(format, at(filled), pitch, width, 3, 0x2468);
            for (int y = 0; y < Height; ++y)
                for (int x = 0; x < Width; ++x) {
                    const bool inside = x >= 2 && x < 2 + width && y >= 1 && y <= 3;
                    const std::uint32_t s = source.Get(format, x, y);
                    EXPECT_EQ(keyed.Get(format, x, y), inside && s != key ? s : background)
                        << "keyed width " << width << " at " << x << "," << y;
                    EXPECT_EQ(copied.Get(format, x, y), inside ? s : background)
                        << "copy width " << width << " at " << x << "," << y;
                    EXPECT_EQ(filled.Get(format, x, y), inside ? 0x2468u : background)
                        << "fill width " << width << " at " << x << "," << y;
                }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, PixelOpsTest, testing::Values(TPixelFormat::XRGB8888, TPixelFormat::RGB565));

}  // namespace
