#include "platform/DeviceContext.h"

#include "platform/SystemColors.h"
#include "platform/TextRenderer.h"

#include <algorithm>

namespace {

// Cosmetic pen styles as runs of on and off pixels, starting with on.
struct TStyleRuns {
    int Runs[6];
    int Count;
    int Period;
};
constexpr TStyleRuns DashRuns{{18, 6}, 2, 24};
constexpr TStyleRuns DotRuns{{3, 3}, 2, 6};
constexpr TStyleRuns DashDotRuns{{9, 6, 3, 6}, 4, 24};
constexpr TStyleRuns DashDotDotRuns{{9, 3, 3, 3, 3, 3}, 6, 24};

bool RunsOn(const TStyleRuns& runs, std::int64_t index)
{
    int at = static_cast<int>(((index % runs.Period) + runs.Period) % runs.Period);
    for (int i = 0; i < runs.Count; ++i) {
        if (at < runs.Runs[i])
            return (i & 1) == 0;
        at -= runs.Runs[i];
    }
    return false;
}

std::int64_t Clamp64(std::int64_t v, std::int64_t lo, std::int64_t hi)
{
    return std::min(std::max(v, lo), hi);
}

}  // namespace

TDeviceContext::TDeviceContext(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format)
    : FPixels(pixels), FWidth(width), FHeight(height), FPitch(pitch), FFormat(format)
{
}

void TDeviceContext::Reset(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format)
{
    FPixels = pixels;
    FWidth = width;
    FHeight = height;
    FPitch = pitch;
    FFormat = format;
    FPos = TPoint{};
    FStylePhase = 0;
    Pen = TCanvasPen{};
    Brush = TCanvasBrush{};
    Font.Name = "MS Sans Serif";  // assigned, not rebuilt: keeps the string's storage
    Font.Size = 8;
    Font.Color = 0;
}

std::uint32_t TDeviceContext::PixelOf(TColor color) const
{
    const TColor rgb = ColorToRGB(color);
    return PixelFromRGB(FFormat, RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

std::uint32_t TDeviceContext::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    const std::uint8_t* row = FPixels + FPitch * y;
    if (FFormat == TPixelFormat::XRGB8888)
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    return reinterpret_cast<const std::uint16_t*>(row)[x];
}

void TDeviceContext::SetPixel(int x, int y, std::uint32_t pixel)
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    std::uint8_t* row = FPixels + FPitch * y;
    if (FFormat == TPixelFormat::XRGB8888)
        reinterpret_cast<std::uint32_t*>(row)[x] = pixel;
    else
        reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(pixel);
}

bool TDeviceContext::StyleOn(std::int64_t index) const
{
    if (Pen.Width > 1)
        return true;
    switch (Pen.Style) {
    case TPenStyle::Solid: return true;
    case TPenStyle::Dash: return RunsOn(DashRuns, index);
    case TPenStyle::Dot: return RunsOn(DotRuns, index);
    case TPenStyle::DashDot: return RunsOn(DashDotRuns, index);
    case TPenStyle::DashDotDot: return RunsOn(DashDotDotRuns, index);
    case TPenStyle::Clear: return false;
    }
    return false;
}

void TDeviceContext::Plot(std::int64_t x, std::int64_t y, std::uint32_t pen)
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    std::uint8_t* at = FPixels + FPitch * y + static_cast<std::ptrdiff_t>(x) * BytesPerPixel(FFormat);
    if (Pen.Mode == TPenMode::NotMerge) {
        PixelOps::NotMergeRun(FFormat, at, 1, pen);
    } else if (FFormat == TPixelFormat::XRGB8888) {
        *reinterpret_cast<std::uint32_t*>(at) = pen;
    } else {
        *reinterpret_cast<std::uint16_t*>(at) = static_cast<std::uint16_t>(pen);
    }
}

void TDeviceContext::Span(std::int64_t x0, std::int64_t x1, std::int64_t y, std::uint32_t pen)
{
    if (y < 0 || y >= FHeight)
        return;
    x0 = Clamp64(x0, 0, FWidth);
    x1 = Clamp64(x1, 0, FWidth);
    if (x1 <= x0)
        return;
    std::uint8_t* at = FPixels + FPitch * y + static_cast<std::ptrdiff_t>(x0) * BytesPerPixel(FFormat);
    const int count = static_cast<int>(x1 - x0);
    if (Pen.Mode == TPenMode::NotMerge)
        PixelOps::NotMergeRun(FFormat, at, count, pen);
    else
        PixelOps::Fill(FFormat, at, 0, count, 1, pen);
}

void TDeviceContext::Band(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                          std::uint32_t pen)
{
    top = Clamp64(top, 0, FHeight);
    bottom = Clamp64(bottom, 0, FHeight);
    for (std::int64_t y = top; y < bottom; ++y)
        Span(left, right, y, pen);
}

// Pixels x0, x0 + step, ... up to but not including x1; the style index of x0 is phase.
void TDeviceContext::StyledHorizontal(std::int64_t x0, std::int64_t x1, std::int64_t y, int step, std::int64_t phase,
                                      std::uint32_t pen)
{
    if (y < 0 || y >= FHeight || x0 == x1)
        return;
    const std::int64_t lo = step > 0 ? x0 : x1 + 1;
    const std::int64_t hi = step > 0 ? x1 : x0 + 1;  // exclusive
    const std::int64_t from = std::max<std::int64_t>(lo, 0);
    const std::int64_t to = std::min<std::int64_t>(hi, FWidth);
    for (std::int64_t x = from; x < to; ++x)
        if (StyleOn(phase + (x - x0) * step))
            Plot(x, y, pen);
}

void TDeviceContext::StyledVertical(std::int64_t x, std::int64_t y0, std::int64_t y1, int step, std::int64_t phase,
                                    std::uint32_t pen)
{
    if (x < 0 || x >= FWidth || y0 == y1)
        return;
    const std::int64_t lo = step > 0 ? y0 : y1 + 1;
    const std::int64_t hi = step > 0 ? y1 : y0 + 1;
    const std::int64_t from = std::max<std::int64_t>(lo, 0);
    const std::int64_t to = std::min<std::int64_t>(hi, FHeight);
    for (std::int64_t y = from; y < to; ++y)
        if (StyleOn(phase + (y - y0) * step))
            Plot(x, y, pen);
}

void TDeviceContext::MoveTo(int x, int y)
{
    FPos = TPoint{x, y};
    FStylePhase = 0;
}

void TDeviceContext::LineTo(int x, int y)
{
    const std::int64_t x0 = FPos.X, y0 = FPos.Y, x1 = x, y1 = y;
    FPos = TPoint{x, y};
    if (Pen.Style == TPenStyle::Clear)
        return;
    const std::uint32_t pen = PixelOf(Pen.Color);
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const std::int64_t phase = FStylePhase;
    FStylePhase += std::max(adx, ady);
    if (Pen.Width > 1 && (dx == 0 || dy == 0)) {
        // A wide pen is a solid band centred on the line.
        const std::int64_t below = Pen.Width / 2, above = (Pen.Width - 1) / 2;
        if (dy == 0) {
            const std::int64_t lo = dx > 0 ? x0 : x1 + 1, hi = dx > 0 ? x1 : x0 + 1;
            Band(lo, y0 - below, hi, y0 + above + 1, pen);
        } else {
            const std::int64_t lo = dy > 0 ? y0 : y1 + 1, hi = dy > 0 ? y1 : y0 + 1;
            Band(x0 - below, lo, x0 + above + 1, hi, pen);
        }
        return;
    }
    if (dy == 0) {
        StyledHorizontal(x0, x1, y0, dx > 0 ? 1 : -1, phase, pen);
        return;
    }
    if (dx == 0) {
        StyledVertical(x0, y0, y1, dy > 0 ? 1 : -1, phase, pen);
        return;
    }
    // Any other slope: one pixel per step of the major axis, the minor axis
    // rounded; only the steps whose major coordinate lies on the surface are visited.
    const bool xMajor = adx >= ady;
    const std::int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const std::int64_t m0 = xMajor ? x0 : y0, n0 = xMajor ? y0 : x0;
    const int ms = (xMajor ? dx : dy) > 0 ? 1 : -1, ns = (xMajor ? dy : dx) > 0 ? 1 : -1;
    const std::int64_t limit = xMajor ? FWidth : FHeight;
    // Steps k in [0, major) with 0 <= m0 + ms * k < limit.
    std::int64_t kFrom, kTo;
    if (ms > 0) {
        kFrom = std::max<std::int64_t>(0, -m0);
        kTo = std::min<std::int64_t>(major, limit - m0);
    } else {
        kFrom = std::max<std::int64_t>(0, m0 - limit + 1);
        kTo = std::min<std::int64_t>(major, m0 + 1);
    }
    // The minor offset is k * minor / major rounded half up. With coordinates
    // of int, k < major < 2^32 and minor <= major, so k * minor fits in 64
    // unsigned bits; the rounding then needs only the remainder.
    const auto umajor = static_cast<std::uint64_t>(major), uminor = static_cast<std::uint64_t>(minor);
    for (std::int64_t k = kFrom; k < kTo; ++k) {
        const std::uint64_t product = static_cast<std::uint64_t>(k) * uminor;
        const std::uint64_t quotient = product / umajor, remainder = product % umajor;
        const auto offset = static_cast<std::int64_t>(quotient + (remainder * 2 >= umajor ? 1 : 0));
        const std::int64_t m = m0 + ms * k, n = n0 + ns * offset;
        if (StyleOn(phase + k)) {
            if (xMajor)
                Plot(m, n, pen);
            else
                Plot(n, m, pen);
        }
    }
}

void TDeviceContext::Rectangle(int left, int top, int right, int bottom)
{
    std::int64_t l = std::min(left, right), r = std::max(left, right);
    std::int64_t t = std::min(top, bottom), b = std::max(top, bottom);
    if (r <= l || b <= t)
        return;
    const std::uint32_t pen = PixelOf(Pen.Color);
    const bool drawPen = Pen.Style != TPenStyle::Clear;
    if (Pen.Width > 1 && drawPen) {
        const std::int64_t below = Pen.Width / 2, above = (Pen.Width - 1) / 2;
        const std::int64_t ol = l - below, ot = t - below, orr = r + above, ob = b + above;
        const std::int64_t il = l + above + 1, it = t + above + 1, ir = r - 1 - below, ib = b - 1 - below;
        if (ir <= il || ib <= it) {
            Band(ol, ot, orr, ob, pen);
        } else {
            Band(ol, ot, orr, it, pen);
            Band(ol, ib, orr, ob, pen);
            Band(ol, it, il, ib, pen);
            Band(ir, it, orr, ib, pen);
            if (Brush.Style == TBrushStyle::Solid) {
                const TCanvasPen saved = Pen;
                Pen.Mode = TPenMode::Copy;
                Band(il, it, ir, ib, PixelOf(Brush.Color));
                Pen = saved;
            }
        }
        return;
    }
    if (Brush.Style == TBrushStyle::Solid) {
        const TCanvasPen saved = Pen;
        Pen.Mode = TPenMode::Copy;
        if (drawPen)
            Band(l + 1, t + 1, r - 1, b - 1, PixelOf(Brush.Color));
        else
            Band(l, t, r, b, PixelOf(Brush.Color));
        Pen = saved;
    }
    if (!drawPen)
        return;
    // Clockwise from the top-left corner; the style runs on around the corners
    // and no pixel is visited twice (not-merge would undo itself).
    const std::int64_t w = r - l, h = b - t;
    StyledHorizontal(l, r, t, 1, 0, pen);
    StyledVertical(r - 1, t + 1, b, 1, w, pen);
    if (h > 1)
        StyledHorizontal(r - 2, l - 1, b - 1, -1, w + h - 1, pen);
    if (w > 1)
        StyledVertical(l, b - 2, t, -1, 2 * w + h - 2, pen);
}

void TDeviceContext::FillRect(const TRect& rect)
{
    const std::int64_t l = Clamp64(rect.Left, 0, FWidth), r = Clamp64(rect.Right, 0, FWidth);
    const std::int64_t t = Clamp64(rect.Top, 0, FHeight), b = Clamp64(rect.Bottom, 0, FHeight);
    if (r <= l || b <= t)
        return;
    PixelOps::Fill(FFormat, FPixels + FPitch * t + static_cast<std::ptrdiff_t>(l) * BytesPerPixel(FFormat), FPitch,
                   static_cast<int>(r - l), static_cast<int>(b - t), PixelOf(Brush.Color));
}

namespace {
bool IsPlainAscii(std::string_view text)
{
    for (const char c : text)
        if (c < 32 || c > 126)
            return false;
    return true;
}
}  // namespace

TPoint TDeviceContext::TextExtent(std::string_view text)
{
    if (!IsPlainAscii(text))
        return QtTextExtent(text, Font.Name, Font.Size);
    const TGlyphSet& glyphs = GlyphSetFor(Font.Name, Font.Size);
    int width = 0;
    for (const char c : text)
        width += glyphs.Advance[c - TGlyphSet::First];
    return TPoint{width, glyphs.Height};
}

void TDeviceContext::TextOut(int x, int y, std::string_view text)
{
    if (text.empty())
        return;
    if (!IsPlainAscii(text)) {
        const TColor background = ColorToRGB(Brush.Color);
        const TColor ink = ColorToRGB(Font.Color);
        PaintTextWithQt(FPixels, FWidth, FHeight, FPitch, FFormat, x, y, text, Font.Name, Font.Size, ink,
                        Brush.Style == TBrushStyle::Solid ? &background : nullptr);
        return;
    }
    const TGlyphSet& glyphs = GlyphSetFor(Font.Name, Font.Size);
    const std::uint32_t ink = PixelOf(Font.Color);
    std::int64_t penX = x;
    if (Brush.Style == TBrushStyle::Solid) {
        const TPoint extent = TextExtent(text);
        const TCanvasPen saved = Pen;
        Pen.Mode = TPenMode::Copy;
        Band(x, y, static_cast<std::int64_t>(x) + extent.X, static_cast<std::int64_t>(y) + extent.Y,
             PixelOf(Brush.Color));
        Pen = saved;
    }
    const int bpp = BytesPerPixel(FFormat);
    for (const char c : text) {
        const int glyph = c - TGlyphSet::First;
        const std::uint8_t* mask = glyphs.Mask(glyph);
        for (int gy = 0; gy < glyphs.Height; ++gy) {
            const std::int64_t py = static_cast<std::int64_t>(y) + gy;
            if (py < 0 || py >= FHeight)
                continue;
            const std::uint8_t* m = mask + static_cast<std::ptrdiff_t>(gy) * glyphs.CellWidth;
            std::uint8_t* row = FPixels + FPitch * py;
            for (int gx = 0; gx < glyphs.CellWidth; ++gx) {
                const std::int64_t px = penX + gx;
                if (!m[gx] || px < 0 || px >= FWidth)
                    continue;
                if (bpp == 4)
                    reinterpret_cast<std::uint32_t*>(row)[px] = ink;
                else
                    reinterpret_cast<std::uint16_t*>(row)[px] = static_cast<std::uint16_t>(ink);
            }
        }
        penX += glyphs.Advance[glyph];
    }
}

void TDeviceContext::Draw(int x, int y, const TImageView& image)
{
    StretchDraw(Bounds(x, y, image.Width, image.Height), image, TRect{0, 0, image.Width, image.Height});
}

void TDeviceContext::StretchDraw(const TRect& dest, const TImageView& image, const TRect& source)
{
    const std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
    const std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
    const std::int64_t sw = static_cast<std::int64_t>(source.Right) - source.Left;
    const std::int64_t sh = static_cast<std::int64_t>(source.Bottom) - source.Top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !image.Bits)
        return;
    const std::int64_t x0 = std::max<std::int64_t>(dest.Left, 0), x1 = std::min<std::int64_t>(dest.Right, FWidth);
    const std::int64_t y0 = std::max<std::int64_t>(dest.Top, 0), y1 = std::min<std::int64_t>(dest.Bottom, FHeight);
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::int64_t sy = source.Top + (y - dest.Top) * sh / dh;
        if (sy < 0 || sy >= image.Height)
            continue;
        for (std::int64_t x = x0; x < x1; ++x) {
            const std::int64_t sx = source.Left + (x - dest.Left) * sw / dw;
            if (sx < 0 || sx >= image.Width)
                continue;
            const std::uint32_t rgb = image.RGBAt(static_cast<int>(sx), static_cast<int>(sy));
            SetPixel(static_cast<int>(x), static_cast<int>(y),
                     PixelFromRGB(FFormat, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
        }
    }
}
