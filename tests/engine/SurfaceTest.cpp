// Surfaces: clipping, fills, colour keys in both pixel formats, the fast blit
// and its fallback, lost memory, and the canvas's pens.
#include "support/EngineTestKit.h"

#include "platform/SystemColors.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr std::uint32_t Mark = 0x123456;

struct SurfaceTest : testing::Test {
    TPlatformScope Platform;
    TDirectDraw Draw;
    TDirectDrawSurface Dest{&Draw};
    TDirectDrawSurface Source{&Draw};

    SurfaceTest()
    {
        Dest.SetSize(640, 480);
        Dest.Fill(Mark);
        Source.SetSize(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                Source.SetPixel(x, y, SourcePixel(x, y));
    }
    static std::uint32_t SourcePixel(int x, int y) { return 0x010000u * (y + 1) + static_cast<std::uint32_t>(x + 1); }
};

TEST_F(SurfaceTest, DrawClipsBothRectanglesEdgeByEdge)
{
    struct Case {
        int X, Y;
        TRect Src;
        int DestFrom, DestTo;  // destination columns written on row Y + row
        int SrcFrom;           // source column landing on DestFrom
        int Row;               // source row checked
    };
    const Case cases[] = {
        {-4, 100, {0, 0, 16, 16}, 0, 11, 4, 0},      // cut on the left
        {630, 100, {0, 0, 16, 16}, 630, 639, 0, 0},  // cut on the right
        {10, 10, {-4, -4, 8, 8}, 14, 21, 0, 0},      // source rectangle sticks out above and left
        {100, 200, {8, 0, 40, 16}, 100, 107, 8, 3},  // source rectangle sticks out on the right
    };
    for (const Case& c : cases) {
        Dest.Fill(Mark);
        Dest.Draw(c.X, c.Y, c.Src, &Source, false);
        const int rowY = std::max(c.Y, c.Y - c.Src.Top) + c.Row;
        for (int x = c.DestFrom; x <= c.DestTo; ++x)
            EXPECT_EQ(Dest.Pixel(x, rowY), SourcePixel(c.SrcFrom + x - c.DestFrom, c.Row)) << c.X << " col " << x;
        if (c.DestFrom > 0) {
            EXPECT_EQ(Dest.Pixel(c.DestFrom - 1, rowY), Mark) << c.X;
        }
        if (c.DestTo < 639) {
            EXPECT_EQ(Dest.Pixel(c.DestTo + 1, rowY), Mark) << c.X;
        }
    }
}

TEST_F(SurfaceTest, DrawsNothingWhenClippedAwayOrAtExtremes)
{
    const TRect whole{0, 0, 16, 16};
    const struct {
        int X, Y;
        TRect Src;
    } cases[] = {
        {640, 0, whole},  // X = Width passes the first test, then is empty
        {0, 480, whole},
        {641, 0, whole},
        {-16, 0, whole},  // touches the left edge only
        {INT_MIN, INT_MIN, whole},
        {INT_MAX, INT_MAX, whole},
        {0, 0, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
        {INT_MIN, 0, {0, 0, INT_MAX, 16}},
        {0, 0, {16, 0, 0, 16}},  // mirrored
    };
    for (const auto& c : cases) {
        Dest.Draw(c.X, c.Y, c.Src, &Source, false);
        Dest.Draw(c.X, c.Y, c.Src, nullptr, false);
    }
    // A source rectangle reaching far left and up moves the destination as far
    // right and down, off the surface.
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 7)
            ASSERT_EQ(Dest.Pixel(x, y), Mark) << x << "," << y;
}

TEST_F(SurfaceTest, FillRectIsClippedAndIgnoresRectanglesOutside)
{
    Dest.FillRect(TRect{700, 10, 800, 20}, 0x00FF00);
    Dest.FillRect(TRect{-50, -50, 0, 0}, 0x00FF00);
    Dest.FillRect(TRect{INT_MIN, INT_MIN, INT_MIN + 5, INT_MAX}, 0x00FF00);
    EXPECT_EQ(Dest.DXResult(), DD_OK);
    Dest.FillRect(TRect{630, 470, INT_MAX, INT_MAX}, 0x0000FF);
    EXPECT_EQ(Dest.Pixel(639, 479), 0x0000FFu);
    EXPECT_EQ(Dest.Pixel(629, 479), Mark);
    for (int x = 0; x < 640; x += 13)
        EXPECT_NE(Dest.Pixel(x, 15), 0x00FF00u);
}

TEST_F(SurfaceTest, FastBlitRefusedOnAClipperSwitchesToTheClippingBlitForGood)
{
    std::shared_ptr<IDirectDrawClipper> clipper;
    ASSERT_EQ(Draw.IDraw()->CreateClipper(0, clipper), DD_OK);
    clipper->SetClipList({TRect{0, 0, 8, 480}});
    Dest.ISurface()->SetClipper(clipper);
    EXPECT_FALSE(Dest.UsesClippingBlit());
    Dest.Draw(0, 0, TRect{0, 0, 16, 16}, &Source, false);
    EXPECT_TRUE(Dest.UsesClippingBlit());
    EXPECT_EQ(Dest.Pixel(7, 0), SourcePixel(7, 0));
    EXPECT_EQ(Dest.Pixel(8, 0), Mark);  // outside the clip list
    EXPECT_EQ(Dest.ISurface()->BltFast(0, 0, Source.ISurface(), nullptr, 0), DDERR_BLTFASTCANTCLIP);
}

TEST_F(SurfaceTest, LostMemoryDrawsNothingUntilRestored)
{
    Dest.ISurface()->MakeLost();
    Dest.Draw(0, 0, TRect{0, 0, 16, 16}, &Source, false);
    EXPECT_EQ(Dest.DXResult(), DDERR_SURFACELOST);
    Dest.Fill(0);
    EXPECT_EQ(Dest.DXResult(), DDERR_SURFACELOST);
    try {
        Dest.Canvas().TextOut(0, 0, "x");
        FAIL() << "drawing on a lost surface must raise";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Canvas does not allow drawing");
    }
    EXPECT_TRUE(Dest.Restore());
    EXPECT_EQ(Dest.Width(), 640);  // size and description survive
    Dest.Draw(0, 0, TRect{0, 0, 16, 16}, &Source, false);
    EXPECT_EQ(Dest.Pixel(3, 3), SourcePixel(3, 3));
}

TEST_F(SurfaceTest, BlitsWaitForTheCanvasToBeReleased)
{
    Dest.Canvas().MoveTo(0, 0);
    Dest.Draw(0, 0, TRect{0, 0, 16, 16}, &Source, false);
    EXPECT_EQ(Dest.DXResult(), DDERR_SURFACEBUSY);
    Dest.Canvas().Release();
    Dest.Draw(0, 0, TRect{0, 0, 16, 16}, &Source, false);
    EXPECT_EQ(Dest.DXResult(), DD_OK);
}

TEST_F(SurfaceTest, SizesAndMemoryPlaces)
{
    TDirectDrawSurface surface(&Draw);
    surface.SetSize(0, 5);
    EXPECT_EQ(surface.ISurface(), nullptr);
    EXPECT_EQ(surface.Width(), 0);
    EXPECT_EQ(surface.ClientRect(), TRect{});
    EXPECT_EQ(surface.ColorToPixel(0xFFFFFF), 0u);
    try {
        surface.SetSize(20000, 10);
        FAIL();
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "Surface cannot be made");
    }
    try {
        TDirectDrawSurface none(nullptr);
        none.Canvas().MoveTo(0, 0);
        FAIL();
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "IDirectDrawSurface not made");
    }
}

TEST(SurfaceMemory, VideoMemoryRunsOutIntoSystemMemory)
{
    TPlatformScope platform(TPixelFormat::XRGB8888, 100 * 100 * 4);
    TDirectDraw draw;
    TDirectDrawSurface first(&draw), second(&draw);
    first.SetSize(100, 100);
    EXPECT_FALSE(first.SystemMemory);
    EXPECT_TRUE(first.SurfaceDesc().Caps & DDSCAPS_VIDEOMEMORY);
    second.SetSize(100, 100);
    EXPECT_TRUE(second.SystemMemory);
    EXPECT_TRUE(second.SurfaceDesc().Caps & DDSCAPS_SYSTEMMEMORY);
}

TEST(SurfaceOwnership, DestroyingTheDisplayObjectEmptiesItsSurfaces)
{
    TPlatformScope platform;
    auto draw = std::make_unique<TDirectDraw>();
    TDirectDrawSurface surface(draw.get());
    surface.SetSize(8, 8);
    EXPECT_EQ(draw->SurfaceCount(), 1);
    draw.reset();
    EXPECT_EQ(surface.Width(), 0);
    EXPECT_EQ(surface.DDraw(), nullptr);
}

// A value with its high bit set names a system colour by its low byte and
// draws in the desktop's colour of that name, through ColorToPixel and pens.
TEST_F(SurfaceTest, SystemColoursResolveToTheDesktopsColours)
{
    struct TReset {
        ~TReset() { ResetSystemColors(); }
    } reset;
    // The classic scheme until the desktop's is installed.
    EXPECT_EQ(Dest.ColorToPixel(clBtnFace), Dest.ColorToPixel(RGBColor(212, 208, 200)));
    EXPECT_EQ(Dest.ColorToPixel(clWindow), Dest.ColorToPixel(RGBColor(255, 255, 255)));

    SetSystemColor(clBtnFace, RGBColor(1, 2, 3));
    SetSystemColor(clHighlight, RGBColor(200, 100, 50));
    SetSystemColor(clInfoBk, RGBColor(250, 240, 230));
    SetSystemColor(RGBColor(9, 9, 9), RGBColor(4, 5, 6));  // names no system colour: ignored
    const struct {
        TColor Value, Rgb;
    } cases[] = {
        {clBtnFace, RGBColor(1, 2, 3)},
        {0xFF00000Fu, RGBColor(1, 2, 3)},  // only the low byte names the colour
        {clHighlight, RGBColor(200, 100, 50)},
        {clInfoBk, RGBColor(250, 240, 230)},
        {clWindowText, RGBColor(0, 0, 0)},
        {SystemColorFlag | 25, 0},  // an index that names no colour is black
        {SystemColorFlag | 200, 0},
        {RGBColor(9, 9, 9), RGBColor(9, 9, 9)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToRGB(c.Value), c.Rgb) << std::hex << c.Value;
        EXPECT_EQ(Dest.ColorToPixel(c.Value), Dest.ColorToPixel(c.Rgb)) << std::hex << c.Value;
    }

    TDirectDrawSurfaceCanvas& canvas = Dest.Canvas();
    canvas.Pen.Color = clHighlight;
    canvas.Brush.Color = clInfoBk;
    canvas.Rectangle(10, 10, 20, 20);
    canvas.Release();
    EXPECT_EQ(Dest.Pixel(10, 10), Dest.ColorToPixel(RGBColor(200, 100, 50)));
    EXPECT_EQ(Dest.Pixel(15, 15), Dest.ColorToPixel(RGBColor(250, 240, 230)));
}

// Both formats: a key made by ColorToPixel keys out exactly the picture's pixels
// of that colour, also where 16 bits merge several colours into one value.
class ColourKeyTest : public testing::TestWithParam<TPixelFormat> {};

TEST_P(ColourKeyTest, KeyFromColorToPixelMatchesLoadedPixels)
{
    TPlatformScope platform(GetParam());
    TDirectDraw draw;
    TDirectDrawSurface dest(&draw), tile(&draw);
    dest.SetSize(8, 1);
    dest.SetPixel(0, 0, 0x4242);
    const std::uint32_t before = dest.Pixel(0, 0);
    const std::uint32_t fuchsia = dest.ColorToPixel(RGBColor(255, 0, 255));
    EXPECT_EQ(dest.Pixel(0, 0), before) << "ColorToPixel keeps pixel (0, 0)";

    // 248,0,248 and 255,0,255 are one pixel value at 16 bits, two at 32.
    TDibPicture shape;
    shape.Width = 4;
    shape.Height = 1;
    shape.Palette = {0xF800F8, 0xFF00FF, 0x102030, 0xFFFFFF};
    shape.Indices = {0, 1, 2, 3};
    const auto picture = MakeDib(shape);
    tile.LoadGraphic(*picture);
    EXPECT_EQ(tile.Pixel(1, 0), fuchsia);
    tile.SetKeyColor(tile.ColorToPixel(RGBColor(255, 0, 255)));
    dest.Fill(0x0001);
    dest.Draw(0, 0, tile.ClientRect(), &tile, true);
    const bool merged = GetParam() == TPixelFormat::RGB565;
    EXPECT_EQ(dest.Pixel(0, 0), merged ? 0x0001u : tile.Pixel(0, 0));
    EXPECT_EQ(dest.Pixel(1, 0), 0x0001u);
    EXPECT_EQ(dest.Pixel(2, 0), tile.Pixel(2, 0));
    EXPECT_EQ(dest.Pixel(3, 0), dest.ColorToPixel(RGBColor(255, 255, 255)));
    EXPECT_EQ(dest.Pixel(4, 0), 0x0001u);
    dest.Draw(4, 0, tile.ClientRect(), &tile, false);
    EXPECT_EQ(dest.Pixel(5, 0), fuchsia) << "opaque draws ignore the key";
}

INSTANTIATE_TEST_SUITE_P(BothFormats, ColourKeyTest, testing::Values(TPixelFormat::XRGB8888, TPixelFormat::RGB565));

// --- The canvas's pens, drawn on black 32-bit pixels.
struct CanvasTest : testing::Test {
    TPlatformScope Platform;
    TDirectDraw Draw;
    TDirectDrawSurface Surface{&Draw};
    CanvasTest()
    {
        Surface.SetSize(64, 48);
        Surface.Fill(0);
    }
    TDirectDrawSurfaceCanvas& Canvas(TPenStyle style, int width = 1, TPenMode mode = TPenMode::NotMerge)
    {
        auto& c = Surface.Canvas();
        c.Pen.Color = RGBColor(192, 192, 192);
        c.Pen.Style = style;
        c.Pen.Width = width;
        c.Pen.Mode = mode;
        c.Brush.Style = TBrushStyle::Clear;
        return c;
    }
    std::string Row(int y, int from, int to)
    {
        std::string s;
        for (int x = from; x < to; ++x)
            s += Surface.Pixel(x, y) == 0 ? '.' : Surface.Pixel(x, y) == 0x3F3F3F ? '#' : '?';
        return s;
    }
};

TEST_F(CanvasTest, StyledLinesNotMergedAndEndingBeforeTheirEndPoint)
{
    const struct {
        TPenStyle Style;
        const char* Pixels;  // columns 0..47 of the line from (0, y) to (40, y)
    } cases[] = {
        {TPenStyle::Solid, "########################################........"},
        {TPenStyle::Dash, "##################......################........"},
        {TPenStyle::Dot, "###...###...###...###...###...###...###........."},
        {TPenStyle::DashDot, "#########......###......#########......#........"},
        {TPenStyle::DashDotDot, "#########...###...###...#########...###........."},
    };
    int y = 0;
    for (const auto& c : cases) {
        auto& canvas = Canvas(c.Style);
        canvas.MoveTo(0, y);
        canvas.LineTo(40, y);
        canvas.Release();
        EXPECT_EQ(Row(y, 0, 48), c.Pixels) << static_cast<int>(c.Style);
        y += 2;
    }
}

TEST_F(CanvasTest, RectangleOutlinesTouchEachPixelOnce)
{
    auto& canvas = Canvas(TPenStyle::Solid);
    canvas.Rectangle(10, 5, 4, 9);     // corners in any order
    canvas.Rectangle(20, 20, 21, 30);  // one column wide
    canvas.Release();
    EXPECT_EQ(Row(4, 3, 12), ".........");
    EXPECT_EQ(Row(5, 3, 12), ".######..");
    EXPECT_EQ(Row(6, 3, 12), ".#....#..");
    EXPECT_EQ(Row(8, 3, 12), ".######..");
    EXPECT_EQ(Row(9, 3, 12), ".........");
    for (int y = 20; y < 30; ++y)
        EXPECT_EQ(Row(y, 19, 22), ".#.") << y;
}

TEST_F(CanvasTest, WidePensAreSolidBandsAroundTheOutline)
{
    auto& canvas = Canvas(TPenStyle::Dash, 3);
    canvas.Rectangle(10, 10, 20, 20);
    canvas.Release();
    EXPECT_EQ(Row(8, 8, 23), "...............");
    EXPECT_EQ(Row(9, 8, 23), ".############..");
    EXPECT_EQ(Row(11, 8, 23), ".############..");
    EXPECT_EQ(Row(12, 8, 23), ".###......###..");
    EXPECT_EQ(Row(20, 8, 23), ".############..");
    EXPECT_EQ(Row(21, 8, 23), "...............");
}

TEST_F(CanvasTest, ExtremeCoordinatesAreClipped)
{
    auto& canvas = Canvas(TPenStyle::DashDotDot, 1);
    canvas.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    canvas.MoveTo(INT_MIN, INT_MIN);
    canvas.LineTo(INT_MAX, INT_MAX);
    canvas.MoveTo(INT_MIN, 3);
    canvas.LineTo(INT_MAX, 3);
    canvas.Pen.Width = 5;
    canvas.Rectangle(INT_MIN, 40, INT_MAX, 47);
    canvas.TextOut(INT_MAX - 2, INT_MIN, "Text");
    canvas.Release();
    EXPECT_EQ(Row(1, 2, 8), "......");          // the huge outline is off the surface
    EXPECT_EQ(Surface.Pixel(5, 5), 0x3F3F3Fu);  // the diagonal passes through
}

TEST_F(CanvasTest, LongShallowLinesRoundTheMinorAxisExactly)
{
    // Slope exactly 1/2 over 2^32 - 2 steps: step k times the minor length
    // comes near 2^62, so the rounding must not overflow; odd columns lie on
    // a half and round down the line.
    auto& canvas = Canvas(TPenStyle::Solid);
    canvas.MoveTo(INT_MIN, -(1 << 30));
    canvas.LineTo(INT_MAX - 1, (1 << 30) - 1);
    canvas.Release();
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 48; ++y)
            EXPECT_EQ(Surface.Pixel(x, y) != 0, y == (x + 1) / 2) << x << "," << y;
}

TEST_F(CanvasTest, TextStaysInsideItsCellsInTheFontColour)
{
    auto& canvas = Surface.Canvas();
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.Name = "Fixedsys";
    canvas.Font.Size = 10;
    canvas.Font.Color = RGBColor(192, 192, 192);
    canvas.TextOut(2, 3, "FPS: 60");
    const int width = canvas.TextWidth("FPS: 60"), height = canvas.TextHeight("FPS: 60");
    canvas.Release();
    ASSERT_GT(width, 20);
    int ink = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t p = Surface.Pixel(x, y);
            if (p == 0)
                continue;
            EXPECT_EQ(p, 0xC0C0C0u);
            EXPECT_TRUE(x >= 2 && x < 2 + width && y >= 3 && y < 3 + height) << x << "," << y;
            ++ink;
        }
    EXPECT_GT(ink, 20);
}

}  // namespace
