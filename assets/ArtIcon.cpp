// The application icon for the desktop's menus: the window icon's gold-rimmed
// badge and green tank drawn again as shapes at the size asked for, so that
// 48 and 256 pixels are sharp art rather than an enlarged 32-pixel picture.
#include "ArtPictures.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace art {

namespace {

constexpr double Design = 256.0;  // every shape is laid out on a 256-unit square
constexpr double Centre = Design / 2;

struct Vec {
    double x, y;
};

// Signed distances in design units: negative inside, zero on the edge.
double circleDist(Vec p, Vec c, double r)
{
    return std::hypot(p.x - c.x, p.y - c.y) - r;
}
double boxDist(Vec p, Vec c, double halfW, double halfH, double corner)
{
    const double qx = std::abs(p.x - c.x) - halfW + corner;
    const double qy = std::abs(p.y - c.y) - halfH + corner;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - corner;
}

// Light falls from the upper left.
constexpr Vec Light{-0.6, -0.8};

struct Ramp {
    Color dark, mid, light, shine;
};

// An edge band `width` wide that catches the light on the sides facing it.
Color bevel(const Ramp& ramp, Color inner, double dist, Vec normal, double width)
{
    if (-dist > width)
        return inner;
    const double facing = normal.x * Light.x + normal.y * Light.y;
    return facing >= 0 ? mix(ramp.mid, ramp.light, facing) : mix(ramp.mid, ramp.dark, -facing);
}

// A sphere seen from above, lit from the upper left and a little in front.
Color dome(const Ramp& ramp, Vec p, Vec c, double r)
{
    const double dx = (p.x - c.x) / r, dy = (p.y - c.y) / r;
    const double dz = std::sqrt(std::max(0.0, 1.0 - dx * dx - dy * dy));
    const double lx = -0.45, ly = -0.6, lz = 0.66;
    const double lit = dx * lx + dy * ly + dz * lz;
    if (lit > 0.96)
        return mix(ramp.light, ramp.shine, (lit - 0.96) / 0.04);
    if (lit > 0.55)
        return mix(ramp.mid, ramp.light, (lit - 0.55) / 0.41);
    return mix(ramp.dark, ramp.mid, std::max(0.0, lit) / 0.55);
}

// A supersampled canvas addressed in design units.
class Painter {
public:
    Painter(int size, int samples) : image_(size * samples, size * samples), unitsPerSample_(Design / (size * samples))
    {
    }

    // Paints every sample where dist(p) <= grow with paint(p, d, n): d the
    // distance, n the outward normal of the shape at p.
    template <class Dist, class Paint>
    void fill(Dist dist, double grow, Paint paint)
    {
        const double e = unitsPerSample_ / 2;
        for (int y = 0; y < image_.h; ++y)
            for (int x = 0; x < image_.w; ++x) {
                const Vec p{(x + 0.5) * unitsPerSample_, (y + 0.5) * unitsPerSample_};
                const double d = dist(p);
                if (d > grow)
                    continue;
                Vec n{dist(Vec{p.x + e, p.y}) - dist(Vec{p.x - e, p.y}),
                      dist(Vec{p.x, p.y + e}) - dist(Vec{p.x, p.y - e})};
                const double len = std::hypot(n.x, n.y);
                n = len > 0 ? Vec{n.x / len, n.y / len} : Vec{0, 0};
                image_.set(x, y, paint(p, d, n));
            }
    }
    template <class Dist>
    void fill(Dist dist, double grow, Color c)
    {
        fill(dist, grow, [c](Vec, double, Vec) { return c; });
    }

    const Image& image() const { return image_; }

private:
    Image image_;
    double unitsPerSample_;
};

// Averages each samples x samples block into one pixel: its coverage becomes
// the alpha, its painted samples the colour.
RgbaImage downsampled(const Image& big, int samples)
{
    RgbaImage out;
    out.w = big.w / samples;
    out.h = big.h / samples;
    out.px.resize(static_cast<std::size_t>(out.w) * static_cast<std::size_t>(out.h) * 4);
    const int total = samples * samples;
    std::size_t at = 0;
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = 0; j < samples; ++j)
                for (int i = 0; i < samples; ++i) {
                    const Color c = big.get(x * samples + i, y * samples + j);
                    if (c == Clear)
                        continue;
                    r += red(c);
                    g += green(c);
                    b += blue(c);
                    ++n;
                }
            const int half = n / 2;
            out.px[at++] = static_cast<std::uint8_t>(n ? (r + half) / n : 0);
            out.px[at++] = static_cast<std::uint8_t>(n ? (g + half) / n : 0);
            out.px[at++] = static_cast<std::uint8_t>(n ? (b + half) / n : 0);
            out.px[at++] = static_cast<std::uint8_t>((n * 255 + total / 2) / total);
        }
    return out;
}

const Ramp Gold{rgb(150, 104, 34), rgb(224, 172, 64), rgb(255, 228, 140), rgb(255, 248, 214)};
const Ramp Green{rgb(43, 76, 31), rgb(96, 170, 70), rgb(150, 204, 118), rgb(222, 246, 196)};
const Ramp Track{rgb(22, 20, 18), rgb(72, 70, 64), rgb(120, 116, 106), rgb(160, 156, 148)};
const Color Bronze = rgb(90, 60, 18);
const Color Ink = rgb(16, 14, 10);

// The badge's dark field, lighter towards the top, with the editor's tile
// grid faintly on it when there is room for lines.
Color fieldColour(Vec p, bool grid)
{
    const double t = std::clamp((p.y - 24) / (Design - 48), 0.0, 1.0);
    Color c = mix(rgb(62, 76, 100), rgb(28, 34, 48), t);
    if (grid) {
        const double gx = std::fmod(p.x + 1000 * 32 - Centre, 32), gy = std::fmod(p.y + 1000 * 32 - Centre, 32);
        if (gx < 1.6 || gy < 1.6)
            c = mix(c, rgb(120, 140, 172), 0.22);
    }
    return c;
}

}  // namespace

RgbaImage drawDesktopIcon(int size)
{
    // Small icons get thicker outlines and fewer, broader details, so that
    // each one still covers whole pixels.
    const bool detailed = size >= 96;
    const int samples = detailed ? 4 : 8;
    const double ink = detailed ? 4 : 7;
    Painter paint(size, samples);
    const Vec c{Centre, Centre};

    // The rim: a gold ring lit from the upper left, with a bronze edge on
    // both sides.
    paint.fill([&](Vec p) { return circleDist(p, c, 127); }, 0, Bronze);
    paint.fill([&](Vec p) { return circleDist(p, c, 123); }, 0,
               [&](Vec, double d, Vec n) {
                   const double facing = n.x * Light.x + n.y * Light.y;
                   Color g = facing >= 0 ? mix(Gold.mid, Gold.light, facing) : mix(Gold.mid, Gold.dark, -facing);
                   if (facing > 0.9 && d > -9 && d < -4)
                       g = mix(g, Gold.shine, (facing - 0.9) / 0.1);
                   return g;
               });
    paint.fill([&](Vec p) { return circleDist(p, c, 108); }, 0, Bronze);

    // The field, sunken: its edge is dark where the rim shades it.
    const double fieldR = 104;
    paint.fill([&](Vec p) { return circleDist(p, c, fieldR); }, 0,
               [&](Vec p, double d, Vec n) {
                   Color f = fieldColour(p, detailed);
                   if (-d < 7) {
                       const double facing = n.x * Light.x + n.y * Light.y;
                       f = mix(f, facing > 0 ? rgb(8, 10, 16) : rgb(110, 124, 150),
                               std::abs(facing) * (1 - (-d) / 7) * 0.8);
                   }
                   return f;
               });

    // The tank, pointing up: two tracks, the hull, the gun, the turret.
    const Vec leftTrack{82, 146}, rightTrack{174, 146}, hull{128, 146};
    auto tracks = [&](Vec p) { return std::min(boxDist(p, leftTrack, 16, 56, 7), boxDist(p, rightTrack, 16, 56, 7)); };
    auto body = [&](Vec p) { return boxDist(p, hull, 36, 50, 9); };
    const Vec turret{128, 142};
    const double turretR = 31;
    auto gun = [&](Vec p) { return boxDist(p, Vec{128, 86}, 7, 44, 3); };
    auto muzzle = [&](Vec p) { return boxDist(p, Vec{128, 46}, 11, 8, 3); };
    auto tank = [&](Vec p) {
        return std::min({tracks(p), body(p), gun(p), muzzle(p), circleDist(p, turret, turretR)});
    };

    // Its shadow on the field, down and to the right.
    const Vec drop{7, 9};
    paint.fill(
        [&](Vec p) {
            return std::max(tank(Vec{p.x - drop.x, p.y - drop.y}) - ink, circleDist(p, c, fieldR));
        },
        0, [&](Vec p, double, Vec) { return mix(fieldColour(p, detailed), rgb(0, 0, 0), 0.5); });

    const double treadPeriod = detailed ? 12 : 18;
    paint.fill(tracks, ink, [&](Vec p, double d, Vec n) {
        if (d > 0)
            return Ink;
        const double phase = std::fmod(p.y - 90 + 1000 * treadPeriod, treadPeriod);
        // Each link: a dark gap, a lit edge, then its face.
        const Color tread = phase < treadPeriod / 3       ? Track.dark
                            : phase < treadPeriod / 3 + 2 ? Track.light
                                                          : Track.mid;
        return bevel(Track, tread, d, n, detailed ? 4 : 6);
    });

    paint.fill(body, ink, [&](Vec p, double d, Vec n) {
        if (d > 0)
            return Ink;
        Color inner = Green.mid;
        // The front plate's ridge and the engine deck's slats at the back.
        if (std::abs(p.y - 106) < (detailed ? 2 : 3.5))
            inner = Green.light;
        const double deck = p.y - 176;
        if (deck > 0 && deck < 16 && std::fmod(deck, detailed ? 6 : 8) < (detailed ? 2.5 : 4))
            inner = Green.dark;
        return bevel(Green, inner, d, n, detailed ? 6 : 9);
    });

    // The barrel, round: lit along its left side.
    auto barrelPaint = [&](Vec p, double d, Vec) {
        if (d > 0)
            return Ink;
        const double across = std::clamp((p.x - 121) / 14, 0.0, 1.0);
        return across < 0.35 ? mix(Green.light, Green.mid, across / 0.35)
                             : mix(Green.mid, Green.dark, (across - 0.35) / 0.65);
    };
    paint.fill(gun, ink, barrelPaint);
    paint.fill(muzzle, ink, [&](Vec, double d, Vec n) {
        if (d > 0)
            return Ink;
        return bevel(Green, Green.dark, d, n, detailed ? 4 : 6);
    });

    paint.fill([&](Vec p) { return circleDist(p, turret, turretR); }, ink,
               [&](Vec p, double d, Vec) {
                   if (d > 0)
                       return Ink;
                   return dome(Green, p, turret, turretR);
               });

    // The commander's hatch, a small dome of its own; too small to show at
    // the smaller sizes.
    if (detailed) {
        const Vec hatch{140, 154};
        paint.fill([&](Vec p) { return circleDist(p, hatch, 8); }, 3,
                   [&](Vec p, double d, Vec) {
                       if (d > 0)
                           return Green.dark;
                       return dome(Green, p, hatch, 8);
                   });
    }
    return downsampled(paint.image(), samples);
}

}  // namespace art
