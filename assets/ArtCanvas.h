#pragma once
// Drawing helpers shared by the art generator: a true-colour canvas with a
// "clear" pixel, a few shape primitives, a deterministic hash for noise, a
// small pixel font and a palette reducer for the 8-bit pictures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace art {

using Color = std::uint32_t;          // 0xRRGGBB
constexpr Color Clear = 0x01000000u;  // no pixel: becomes the key colour on output

constexpr Color rgb(int r, int g, int b)
{
    return (Color(std::clamp(r, 0, 255)) << 16) | (Color(std::clamp(g, 0, 255)) << 8) | Color(std::clamp(b, 0, 255));
}
inline int red(Color c)
{
    return int((c >> 16) & 255);
}
inline int green(Color c)
{
    return int((c >> 8) & 255);
}
inline int blue(Color c)
{
    return int(c & 255);
}

// Linear blend, t in 0..1 (t = 0 gives a).
inline Color mix(Color a, Color b, double t)
{
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return rgb(m(red(a), red(b)), m(green(a), green(b)), m(blue(a), blue(b)));
}

// Deterministic integer hash, so the art is the same on every build.
inline std::uint32_t hash(int x, int y, int seed = 0)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
inline double hash01(int x, int y, int seed = 0)
{
    return (hash(x, y, seed) & 0xFFFFFF) / double(0x1000000);
}

struct Image {
    int w = 0, h = 0;
    std::vector<Color> px;
    Image() = default;
    Image(int W, int H, Color fill = Clear) : w(W), h(H), px(std::size_t(W) * H, fill) {}
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Color get(int x, int y) const { return inside(x, y) ? px[std::size_t(y) * w + x] : Clear; }
    Color wrapGet(int x, int y) const { return px[std::size_t(((y % h) + h) % h) * w + ((x % w) + w) % w]; }
    void set(int x, int y, Color c)
    {
        if (inside(x, y))
            px[std::size_t(y) * w + x] = c;
    }
    void wrapSet(int x, int y, Color c) { px[std::size_t(((y % h) + h) % h) * w + ((x % w) + w) % w] = c; }
    void fill(int x, int y, int W, int H, Color c)
    {
        for (int j = y; j < y + H; ++j)
            for (int i = x; i < x + W; ++i)
                set(i, j, c);
    }
    void frame(int x, int y, int W, int H, Color c)
    {
        for (int i = x; i < x + W; ++i) {
            set(i, y, c);
            set(i, y + H - 1, c);
        }
        for (int j = y; j < y + H; ++j) {
            set(x, j, c);
            set(x + W - 1, j, c);
        }
    }
    void line(int x0, int y0, int x1, int y1, Color c)
    {
        int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                break;
            int e2 = 2 * err;
            // clang-format off
            if (e2 >= dy) { err += dy; x0 += sx; }
            if (e2 <= dx) { err += dx; y0 += sy; }
            // clang-format on
        }
    }
    // Filled ellipse centred on (cx, cy) with radii rx, ry (half-pixel centres allowed).
    void disc(double cx, double cy, double rx, double ry, Color c)
    {
        for (int j = int(std::floor(cy - ry)); j <= int(std::ceil(cy + ry)); ++j)
            for (int i = int(std::floor(cx - rx)); i <= int(std::ceil(cx + rx)); ++i) {
                double u = (i + 0.5 - cx) / rx, v = (j + 0.5 - cy) / ry;
                if (u * u + v * v <= 1.0)
                    set(i, j, c);
            }
    }
    // Copy src onto this image at (x, y); clear pixels of src are skipped.
    void draw(const Image& src, int x, int y)
    {
        for (int j = 0; j < src.h; ++j)
            for (int i = 0; i < src.w; ++i) {
                Color c = src.px[std::size_t(j) * src.w + i];
                if (c != Clear)
                    set(x + i, y + j, c);
            }
    }
    Image crop(int x, int y, int W, int H) const
    {
        Image r(W, H);
        for (int j = 0; j < H; ++j)
            for (int i = 0; i < W; ++i)
                r.set(i, j, get(x + i, y + j));
        return r;
    }
    Image scaled(int k) const
    {
        Image r(w * k, h * k);
        for (int j = 0; j < r.h; ++j)
            for (int i = 0; i < r.w; ++i)
                r.px[std::size_t(j) * r.w + i] = px[std::size_t(j / k) * w + i / k];
        return r;
    }
    // Replace clear pixels by a colour (for previews and opaque outputs).
    Image flattened(Color bg) const
    {
        Image r = *this;
        for (auto& c : r.px)
            if (c == Clear)
                c = bg;
        return r;
    }
};

// A 1-pixel outline of colour c around every opaque pixel (4-neighbourhood).
inline void outline(Image& img, Color c, bool diagonal = false)
{
    Image src = img;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            if (src.get(x, y) != Clear)
                continue;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!diagonal && dx && dy)
                        continue;
                    if ((dx || dy) && src.get(x + dx, y + dy) != Clear)
                        near = true;
                }
            if (near)
                img.set(x, y, c);
        }
}

// 5x7 pixel font (ASCII 32..126); each glyph is 7 rows of 5 columns.
const char* glyph(char ch);
// Width in pixels of text at scale 1 (6 px per character, last gap dropped).
inline int textWidth(const std::string& s)
{
    return s.empty() ? 0 : int(s.size()) * 6 - 1;
}
// Draw text with its top-left at (x, y), each font pixel a k x k block.
void text(Image& img, int x, int y, const std::string& s, Color c, int k = 1);

// The 8-bit pictures: palette plus one index per pixel.
struct Indexed {
    int w = 0, h = 0;
    std::vector<Color> palette;     // at most 256 entries
    std::vector<std::uint8_t> idx;  // row-major, top row first
};

// A picture with partial transparency, for the desktop's icons: four bytes
// a pixel (red, green, blue, alpha; straight alpha), row-major, top row first.
struct RgbaImage {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;
};

// Exact palette from the colours an image uses; Clear maps to index keyIndex
// with the colour key. Index 0 is black. Throws when more than 256 colours.
Indexed exactPalette(const Image& img, Color key, int keyIndex);
// Reduce an image of any colours to at most `count` palette entries (median
// cut), with index 0 black; clear pixels become black.
Indexed reduced(const Image& img, int count, bool dither);

}  // namespace art
