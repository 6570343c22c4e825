// A surface blitting onto itself, against a reference computed from a copy
// taken before the blit: overlap in every direction, plain and keyed, both
// pixel formats, through Blt without and with a clipper of several rectangles
// and through BltFast; and scaled blits whose rectangles overlap.
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int Width = 48;
constexpr int Height = 20;
// 36 pixels wide: whole vectors of either format and a tail.
constexpr TRect SourceRect{6, 5, 42, 15};

enum class TPath { Blt, BltFast, BltClipped };

// Not banded: the left rectangle spans the rows of three on its right, and
// two gaps are left out.
const std::vector<TRect> ClipList{{0, 0, 10, 20}, {10, 0, 48, 7}, {10, 7, 25, 20}, {28, 7, 48, 20}};

bool InClipList(int x, int y)
{
    for (const TRect& r : ClipList)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            return true;
    return false;
}

struct TSelfSurface {
    TPlatformScope Platform;
    std::unique_ptr<IDirectDraw4> Draw;
    std::unique_ptr<IDirectDrawSurface4> Surface;
    std::uint32_t Key;

    explicit TSelfSurface(TPixelFormat format) : Platform(format), Key(0x0F0F & PixelMask(format))
    {
        EXPECT_EQ(DirectDrawCreate(nullptr, Draw), DD_OK);
        TDDSurfaceDesc desc;
        desc.Width = Width;
        desc.Height = Height;
        EXPECT_EQ(Draw->CreateSurface(desc, Surface), DD_OK);
        const TDDColorKey key{Key, Key};
        Surface->SetColorKey(DDCKEY_SRCBLT, &key);
        // Every fourth pixel on a diagonal pattern is the key; the rest are all
        // different, so a pixel read from the wrong place shows.
        std::vector<std::uint32_t> pixels(Width * Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                pixels[y * Width + x] = (x + 2 * y) % 4 == 0 ? Key : static_cast<std::uint32_t>(y * Width + x + 1);
        Write(pixels);
    }
    void AttachClipList()
    {
        std::shared_ptr<IDirectDrawClipper> clipper;
        ASSERT_EQ(Draw->CreateClipper(0, clipper), DD_OK);
        clipper->SetClipList(ClipList);
        Surface->SetClipper(clipper);
    }
    std::vector<std::uint32_t> Read()
    {
        std::vector<std::uint32_t> pixels(Width * Height);
        TDDSurfaceDesc desc;
        EXPECT_EQ(Surface->Lock(nullptr, desc, 0), DD_OK);
        const int bpp = BytesPerPixel(desc.Format);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                std::memcpy(&pixels[y * Width + x], desc.Surface + desc.Pitch * y + x * bpp, bpp);
        Surface->Unlock(nullptr);
        return pixels;
    }
    void Write(const std::vector<std::uint32_t>& pixels)
    {
        TDDSurfaceDesc desc;
        ASSERT_EQ(Surface->Lock(nullptr, desc, 0), DD_OK);
        const int bpp = BytesPerPixel(desc.Format);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                std::memcpy(desc.Surface + desc.Pitch * y + x * bpp, &pixels[y * Width + x], bpp);
        Surface->Unlock(nullptr);
    }
};

// The surface as it must be after blitting source onto dest (nearest pixel
// when the sizes differ), every read taken from before.
std::vector<std::uint32_t> Expected(const std::vector<std::uint32_t>& before, const TRect& dest, const TRect& source,
                                    bool keyed, bool clipped, std::uint32_t key)
{
    std::vector<std::uint32_t> after = before;
    for (int y = dest.Top; y < dest.Bottom; ++y)
        for (int x = dest.Left; x < dest.Right; ++x) {
            if (clipped && !InClipList(x, y))
                continue;
            const int sx = source.Left + (x - dest.Left) * source.Width() / dest.Width();
            const int sy = source.Top + (y - dest.Top) * source.Height() / dest.Height();
            const std::uint32_t p = before[sy * Width + sx];
            if (!keyed || p != key)
                after[y * Width + x] = p;
        }
    return after;
}

// Where the first difference is, for a readable failure.
testing::AssertionResult SamePixels(const std::vector<std::uint32_t>& actual,
                                    const std::vector<std::uint32_t>& expected)
{
    for (int i = 0; i < Width * Height; ++i)
        if (actual[i] != expected[i])
            return testing::AssertionFailure() << "pixel (" << i % Width << ", " << i / Width << ") is " << actual[i]
                                               << ", expected " << expected[i];
    return testing::AssertionSuccess();
}

class SelfBlitTest : public testing::TestWithParam<std::tuple<TPixelFormat, bool, TPath>> {};

TEST_P(SelfBlitTest, OverlappingCopiesReadTheSourceAsItWasBefore)
{
    const auto [format, keyed, path] = GetParam();
    const struct {
        int Dx, Dy;
    } shifts[] = {
        {0, -3}, {0, 3},   {-5, 0}, {5, 0},   // up, down, left, right
        {-1, 0}, {1, 0},   {0, -1}, {0, 1},   // by one: the overlap lies within a vector
        {4, 2},  {-4, -2}, {3, -2}, {-3, 2},  // diagonals
        {0, 0},                               // onto itself
    };
    for (const auto& shift : shifts) {
        SCOPED_TRACE(testing::Message() << "shift " << shift.Dx << ", " << shift.Dy);
        TSelfSurface s(format);
        if (path == TPath::BltClipped)
            s.AttachClipList();
        const std::vector<std::uint32_t> before = s.Read();
        const TRect dest{SourceRect.Left + shift.Dx, SourceRect.Top + shift.Dy, SourceRect.Right + shift.Dx,
                         SourceRect.Bottom + shift.Dy};
        if (path == TPath::BltFast)
            ASSERT_EQ(s.Surface->BltFast(dest.Left, dest.Top, s.Surface.get(), &SourceRect,
                                         keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY),
                      DD_OK);
        else
            ASSERT_EQ(s.Surface->Blt(&dest, s.Surface.get(), &SourceRect, keyed ? DDBLT_KEYSRC : 0, nullptr), DD_OK);
        EXPECT_TRUE(SamePixels(s.Read(), Expected(before, dest, SourceRect, keyed, path == TPath::BltClipped, s.Key)));
    }
}

// The fast blit does not scale.
class ScaledSelfBlitTest : public testing::TestWithParam<std::tuple<TPixelFormat, bool, TPath>> {};

TEST_P(ScaledSelfBlitTest, OverlappingBlitsReadTheSourceAsItWasBefore)
{
    const auto [format, keyed, path] = GetParam();
    const struct {
        TRect Dest, Source;
    } cases[] = {
        {{10, 3, 46, 18}, {6, 5, 30, 15}},  // enlarged down and right over its source
        {{2, 1, 26, 11}, {6, 5, 42, 19}},   // shrunk up and left into its source
        {{0, 0, 48, 20}, {0, 0, 24, 10}},   // the top-left quarter over the whole surface
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dest " << c.Dest.Left << ", " << c.Dest.Top);
        TSelfSurface s(format);
        if (path == TPath::BltClipped)
            s.AttachClipList();
        const std::vector<std::uint32_t> before = s.Read();
        ASSERT_EQ(s.Surface->Blt(&c.Dest, s.Surface.get(), &c.Source, keyed ? DDBLT_KEYSRC : 0, nullptr), DD_OK);
        EXPECT_TRUE(SamePixels(s.Read(), Expected(before, c.Dest, c.Source, keyed, path == TPath::BltClipped, s.Key)));
    }
}

std::string CaseName(const testing::TestParamInfo<std::tuple<TPixelFormat, bool, TPath>>& info)
{
    const auto [format, keyed, path] = info.param;
    const char* paths[] = {"Blt", "BltFast", "BltClipped"};
    return std::string(format == TPixelFormat::XRGB8888 ? "XRGB8888" : "RGB565") + (keyed ? "Keyed" : "Plain")
           + paths[static_cast<int>(path)];
}

INSTANTIATE_TEST_SUITE_P(FormatsKeysAndPaths, SelfBlitTest,
                         testing::Combine(testing::Values(TPixelFormat::XRGB8888, TPixelFormat::RGB565),
                                          testing::Bool(),
                                          testing::Values(TPath::Blt, TPath::BltFast, TPath::BltClipped)),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(FormatsKeysAndPaths, ScaledSelfBlitTest,
                         testing::Combine(testing::Values(TPixelFormat::XRGB8888, TPixelFormat::RGB565),
                                          testing::Bool(), testing::Values(TPath::Blt, TPath::BltClipped)),
                         CaseName);

}  // namespace
