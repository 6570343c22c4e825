// The 64 tiles of the stage (ground, water, trees, shadows, walls and blocks).
//
// Groups whose variants are laid side by side in any order are drawn from one
// texture that repeats every 16 pixels; the variants differ only in details
// that stay clear of the tile edges, so any two of them meet without a seam.
#include "ArtPictures.h"

#include <array>
#include <functional>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

using Ramp = std::array<Color, 6>;

// Pick from a ramp by a brightness in 0..1.
Color shade(const Ramp& r, double v)
{
    int i = int(std::floor(v * 6.0));
    return r[std::size_t(std::clamp(i, 0, 5))];
}

// Ordered 2x2 dither offset so ramp steps blend a little.
double dither2(int x, int y)
{
    return ((x & 1) * 2 + ((x ^ y) & 1)) / 4.0 - 0.375;
}

// clang-format off
const Ramp Grass{rgb(30, 56, 22), rgb(42, 76, 28), rgb(56, 96, 34), rgb(72, 116, 40), rgb(96, 142, 50), rgb(136, 174, 72)};
const Ramp Water{rgb(16, 36, 88), rgb(24, 54, 120), rgb(34, 76, 150), rgb(54, 106, 182), rgb(98, 158, 218), rgb(188, 224, 248)};
const Ramp Leaf{rgb(12, 34, 18), rgb(20, 54, 26), rgb(30, 76, 32), rgb(44, 100, 38), rgb(68, 128, 48), rgb(106, 160, 64)};
const Ramp Bush{rgb(34, 60, 18), rgb(54, 88, 24), rgb(78, 116, 30), rgb(106, 144, 40), rgb(140, 172, 58), rgb(184, 204, 92)};
const Ramp Brick{rgb(62, 24, 16), rgb(108, 40, 26), rgb(140, 56, 34), rgb(168, 76, 46), rgb(196, 108, 68), rgb(224, 150, 104)};
const Ramp Plate{rgb(40, 44, 50), rgb(62, 68, 76), rgb(84, 92, 102), rgb(108, 118, 130), rgb(140, 150, 162), rgb(184, 194, 204)};
const Ramp Sand{rgb(70, 58, 34), rgb(104, 88, 54), rgb(138, 120, 76), rgb(168, 150, 100), rgb(196, 180, 128), rgb(224, 212, 166)};
const Ramp Concrete{rgb(58, 58, 56), rgb(88, 88, 84), rgb(116, 116, 110), rgb(142, 142, 134), rgb(170, 170, 160), rgb(204, 204, 194)};
const Ramp Wood{rgb(56, 34, 18), rgb(92, 58, 28), rgb(126, 84, 42), rgb(160, 112, 60), rgb(192, 146, 88), rgb(222, 184, 126)};
const Ramp Steel{rgb(34, 42, 54), rgb(60, 72, 88), rgb(88, 104, 122), rgb(118, 136, 156), rgb(156, 174, 194), rgb(208, 220, 232)};
const Ramp Stone{rgb(50, 46, 42), rgb(80, 76, 68), rgb(108, 102, 92), rgb(136, 130, 118), rgb(164, 158, 144), rgb(196, 190, 176)};
const Ramp Ice{rgb(52, 96, 140), rgb(86, 142, 188), rgb(128, 186, 222), rgb(170, 218, 242), rgb(210, 238, 252), rgb(248, 254, 255)};
const Ramp Rock{rgb(48, 36, 28), rgb(78, 60, 44), rgb(106, 84, 62), rgb(134, 110, 82), rgb(164, 138, 106), rgb(196, 172, 138)};
const Ramp Fire{rgb(96, 20, 12), rgb(164, 44, 16), rgb(220, 90, 24), rgb(250, 150, 40), rgb(255, 210, 90), rgb(255, 246, 196)};
const Ramp Moss{rgb(44, 64, 30), rgb(64, 88, 36), rgb(86, 112, 44), rgb(110, 136, 54), rgb(134, 160, 66), rgb(160, 184, 84)};
const Ramp Red{rgb(70, 14, 14), rgb(120, 24, 20), rgb(164, 38, 28), rgb(198, 60, 40), rgb(226, 100, 70), rgb(246, 160, 130)};
// clang-format on

constexpr Color ShadowDark = rgb(10, 10, 8);

// Dithered shadow pixel: only the dark half of a checkerboard, so the ground shows through.
void shadowPixel(Image& t, int x, int y)
{
    if (((x + y) & 1) == 0 && t.inside(x, y))
        t.set(x, y, ShadowDark);
}

void shadowRect(Image& t, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            shadowPixel(t, x, y);
}

// Bake a shadow for the opaque pixels of `obj` into the clear pixels of t,
// offset by (dx, dy): for small objects whose own shadow stays in their cell.
void bakeShadow(Image& t, const Image& obj, int dx, int dy)
{
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (obj.get(x - dx, y - dy) != Clear && obj.get(x, y) == Clear)
                shadowPixel(t, x, y);
}

// ---------------------------------------------------------------- ground 0..3
Image groundTile(int v)
{
    Image t(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            // Broad soft patches (periodic) with a light sprinkle of grain.
            double s = 0.5 + 0.25 * std::sin(2 * Pi * (x + 2 * y) / 16.0) + 0.2 * std::cos(2 * Pi * (2 * x - y) / 16.0);
            double g = hash01(x, y, 11);
            Color c = s > 0.72 ? Grass[3] : s < 0.25 ? Grass[1] : Grass[2];
            if (g > 0.9)
                c = Grass[3];
            else if (g < 0.08)
                c = Grass[1];
            t.set(x, y, c);
        }
    // Tufts of grass: a dark root and a lit blade that sways with the wind,
    // each tuft with its own phase so the field shimmers rather than jumps.
    static const int tufts[][3] = {{2, 3, 0}, {9, 2, 1}, {13, 7, 2}, {5, 8, 3}, {11, 12, 0}, {1, 13, 1}, {7, 14, 2}};
    static const int lean[4] = {0, 1, 0, -1};
    for (auto& tf : tufts) {
        int x = tf[0], y = tf[1];
        int l = lean[(v + tf[2]) & 3];
        t.wrapSet(x, y + 1, Grass[0]);
        t.wrapSet(x - 1, y + 1, Grass[1]);
        t.wrapSet(x, y, Grass[4]);
        t.wrapSet(x - 1, y, Grass[3]);
        t.wrapSet(x + 1, y, Grass[3]);
        t.wrapSet(x + l, y - 1, Grass[5]);
    }
    // Flowers that catch the light in turn.
    t.set(5, 11, v == 1 ? rgb(236, 220, 110) : rgb(150, 160, 70));
    if (v == 2)
        t.set(12, 4, rgb(236, 236, 214));
    return t;
}

// ---------------------------------------------------------------- water 4..7
Image waterTile(int f)
{
    Image t(16, 16);
    // Swell: bands along the diagonal that move 16 pixels per frame on a
    // 64-pixel period. The tools lay the four frames in diagonal stripes
    // (frame = first + column + row), so neighbouring cells always show the
    // swell at exactly the right phase and the water flows without seams.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            double s = x + y + 16 * f;
            double h = 0.75 * std::sin(2 * Pi * s / 64.0) + 0.25 * std::sin(2 * Pi * 3 * s / 64.0)
                       + 0.3 * std::sin(2 * Pi * (x - y) / 16.0) + 0.2 * std::sin(2 * Pi * (x + 3 * y) / 16.0);
            Color c = h > 0.6 ? Water[3] : h > -0.35 ? Water[2] : Water[1];
            t.set(x, y, c);
        }
    // Glints: short crests that grow and fade, in two sets out of step; they
    // stay inside the cell so frames of neighbours never cut one in half.
    static const int glints[][3] = {{3, 3, 0}, {10, 5, 2}, {6, 9, 1}, {12, 12, 3}, {3, 13, 2}};
    for (auto& g : glints) {
        int phase = (f + g[2]) & 3;
        int x = g[0], y = g[1];
        switch (phase) {
        case 0: t.wrapSet(x, y, Water[4]); break;
        case 1:
            t.wrapSet(x - 1, y, Water[4]);
            t.wrapSet(x, y, Water[5]);
            t.wrapSet(x + 1, y, Water[4]);
            break;
        case 2:
            t.wrapSet(x - 2, y + 1, Water[3]);
            t.wrapSet(x - 1, y, Water[4]);
            t.wrapSet(x, y, Water[5]);
            t.wrapSet(x + 1, y, Water[4]);
            t.wrapSet(x + 2, y + 1, Water[3]);
            break;
        case 3:
            t.wrapSet(x - 2, y + 1, Water[3]);
            t.wrapSet(x + 2, y + 1, Water[3]);
            break;
        }
    }
    return t;
}

// ------------------------------------------------------- leaf balls 8..15
struct Ball {
    double x, y, r, z;
    int id;
};

// Render balls that repeat every 16 pixels; each pixel takes the highest ball.
Image ballTile(const std::vector<Ball>& balls, const Ramp& ramp, int seed, bool berries, bool darkRims, double grain)
{
    Image t(16, 16);
    std::vector<int> owner(256, -1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            double best = -1e9;
            double nx = 0, ny = 0, nz = 0;
            int who = -1;
            for (auto& b : balls)
                for (int oy = -16; oy <= 16; oy += 16)
                    for (int ox = -16; ox <= 16; ox += 16) {
                        double dx = (x + 0.5 - (b.x + ox)) / b.r, dy = (y + 0.5 - (b.y + oy)) / b.r;
                        double d2 = dx * dx + dy * dy;
                        if (d2 > 1.0)
                            continue;
                        double hz = std::sqrt(1.0 - d2);
                        double height = b.z + hz * b.r;
                        if (height > best) {
                            best = height;
                            nx = dx;
                            ny = dy;
                            nz = hz;
                            who = b.id;
                        }
                    }
            owner[std::size_t(y * 16 + x)] = who;
            if (who < 0)
                continue;
            double light = 0.55 * nz - 0.45 * (nx + ny) * 0.8;
            double leafy = hash01(x, y, seed + who) - 0.5;
            double v = 0.12 + 0.78 * std::clamp(light, 0.0, 1.0) + grain * leafy;
            t.set(x, y, shade(ramp, v));
        }
    // Dark rims where a ball meets the one behind it.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int o = owner[std::size_t(y * 16 + x)];
            if (o < 0)
                continue;
            // Neighbours wrap around, so rims continue across tile edges.
            int up = owner[std::size_t(((y + 15) & 15) * 16 + x)];
            int lf = owner[std::size_t(y * 16 + ((x + 15) & 15))];
            int dn = owner[std::size_t(((y + 1) & 15) * 16 + x)];
            int rt = owner[std::size_t(y * 16 + ((x + 1) & 15))];
            if (darkRims && (dn != o || rt != o))
                t.set(x, y, ramp[hash(x, y, seed) % 4 ? 0 : 1]);
            else if ((up >= 0 && up != o) || (lf >= 0 && lf != o))
                if (hash(x, y, seed) % 3 != 0)
                    t.set(x, y, ramp[1]);
        }
    if (berries) {
        for (auto& b : balls)
            if (b.id >= 100 && b.id % 2 == 0) {
                int bx = int(b.x - b.r * 0.3), by = int(b.y - b.r * 0.3);
                t.set(bx, by, rgb(214, 58, 44));
                t.set(bx + 1, by + 1, rgb(140, 30, 28));
            }
    }
    return t;
}

Image canopyTile(int v)
{
    // Clumps that cross the edges: the same in all four variants.
    std::vector<Ball> balls = {
        {0, 0, 6.5, 0.0, 1}, {8, 15.5, 5.5, 0.5, 2}, {15.5, 8, 5.0, 0.2, 3}, {0, 8, 4.0, -0.5, 4}, {8, 0, 4.0, -0.3, 5},
    };
    // Inner clumps: each variant has its own.
    static const double inner[4][3][3] = {
        {{6, 6, 4.5}, {11, 10, 3.8}, {4, 11, 3.2}},
        {{7, 7, 4.8}, {11, 5, 3.4}, {5, 12, 3.4}},
        {{9, 7, 4.6}, {5, 5, 3.3}, {11, 11, 3.5}},
        {{7, 9, 4.6}, {11, 5, 3.5}, {4, 5, 3.0}},
    };
    for (int i = 0; i < 3; ++i)
        balls.push_back({inner[v][i][0], inner[v][i][1], inner[v][i][2], 1.5 - 0.4 * i, 100 + i});
    Image t = ballTile(balls, Leaf, 40 + v, false, false, 0.24);
    return t;
}

Image bushTile(int v)
{
    std::vector<Ball> balls = {
        {0, 0, 4.2, 0.0, 1}, {8, 0, 3.6, 0.0, 2}, {0, 8, 3.8, 0.0, 3}, {16, 12, 3.4, 0.0, 4}, {12, 16, 3.2, 0.0, 5},
    };
    static const double inner[4][3][3] = {
        {{5, 6, 3.4}, {11, 7, 3.6}, {7, 12, 3.2}},
        {{6, 5, 3.6}, {11, 9, 3.4}, {5, 11, 3.0}},
        {{8, 6, 3.7}, {4, 10, 3.0}, {11, 11, 3.1}},
        {{5, 8, 3.5}, {10, 5, 3.3}, {9, 11, 3.4}},
    };
    for (int i = 0; i < 3; ++i)
        balls.push_back({inner[v][i][0], inner[v][i][1], inner[v][i][2], 0.6, 100 + i + (v & 1)});
    return ballTile(balls, Bush, 60 + v, true, true, 0.35);
}

// ---------------------------------------------------------------- shadows
Image shadowTile(int code)
{
    Image t(16, 16);
    switch (code) {
    case 16: shadowRect(t, 0, 0, 3, 3); break;   // corner below-right of an object
    case 17: shadowRect(t, 0, 4, 3, 15); break;  // object to the left
    case 18: shadowRect(t, 0, 0, 3, 15); break;  // left and above-left
    case 19: shadowRect(t, 4, 0, 15, 3); break;  // object above
    case 20: shadowRect(t, 0, 0, 15, 3); break;  // above and above-left
    case 21:
        shadowRect(t, 0, 0, 15, 3);
        shadowRect(t, 0, 4, 3, 15);
        break;  // above and left
    case 22:    // under a low object
        shadowRect(t, 3, 0, 15, 1);
        shadowRect(t, 5, 2, 14, 2);
        break;
    case 23:  // under a thin object
        shadowRect(t, 4, 0, 14, 1);
        break;
    }
    return t;
}

// ---------------------------------------------------------------- brick 24..27
Image brickTile(int v)
{
    Image t(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int row = y / 4, yy = y % 4;
            int off = (row & 1) ? 4 : 0;
            int xs = (x + 16 - off) % 16;  // position within the shifted row
            int bx = xs % 8;
            int brickId = row * 2 + xs / 8;
            bool straddles = (row & 1) && xs / 8 == 1;  // the brick cut by the tile edge
            if (yy == 3 || bx == 7) {
                // Mortar: lighter at the top edge of a joint, dark under a brick.
                t.set(x, y, yy == 3 && bx != 7 ? rgb(70, 60, 52) : rgb(92, 82, 70));
                continue;
            }
            double tint = straddles ? 0.0 : (hash01(brickId, v, 7) - 0.5) * 0.18;
            double b = 0.48 + tint;
            if (yy == 0)
                b += 0.2;
            if (bx == 0)
                b += 0.1;
            if (yy == 2)
                b -= 0.15;
            if (bx == 6)
                b -= 0.1;
            b += (hash01(x, y, 24 + (straddles ? 0 : v)) - 0.5) * 0.22;
            t.set(x, y, shade(Brick, b));
        }
    // Wear that differs between variants, kept inside the tile.
    if (v == 1) {  // a crack
        t.set(9, 5, Brick[0]);
        t.set(10, 6, Brick[0]);
        t.set(11, 6, Brick[1]);
    }
    if (v == 2) {  // a chipped corner
        t.set(2, 8, rgb(70, 60, 52));
        t.set(3, 8, Brick[1]);
        t.set(2, 9, Brick[1]);
    }
    if (v == 3) {  // soot
        t.set(12, 1, Brick[1]);
        t.set(13, 1, Brick[1]);
        t.set(12, 2, Brick[0]);
        t.set(5, 13, Brick[1]);
    }
    return t;
}

// Bevelled square block, the common look of the per-cell solid blocks.
using PixelFn = std::function<double(int, int)>;
Image bevelBlock(const Ramp& r, int bevel, const PixelFn& face)
{
    Image t(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int dl = x, dt = y, dr = 15 - x, db = 15 - y;
            int m = std::min(std::min(dl, dt), std::min(dr, db));
            double v;
            if (m < bevel) {
                bool lit = (dl == m || dt == m) && !(dr < m + 0 || db < m);
                if (dl == m && db == m)
                    lit = false;
                if (dt == m && dr == m)
                    lit = true;
                v = lit ? (m == 0 ? 0.92 : 0.75) : (m == 0 ? 0.02 : 0.2);
            } else {
                v = face(x, y);
            }
            t.set(x, y, shade(r, v));
        }
    return t;
}

void rivet(Image& t, int x, int y, const Ramp& r)
{
    t.set(x, y, r[5]);
    t.set(x + 1, y, r[3]);
    t.set(x, y + 1, r[3]);
    t.set(x + 1, y + 1, r[0]);
}

// ---------------------------------------------------------------- 28, 29 floor plates
Image floorPlate(int v)
{
    Image t = bevelBlock(Plate, 1, [&](int x, int y) {
        // Tread plate: little raised bars, alternately slanted.
        int cx = (x + (v ? 2 : 0)) % 4, cy = y % 4;
        bool flip = (((x + (v ? 2 : 0)) / 4) + (y / 4)) & 1;
        bool bar = flip ? (cx == cy && cx < 2) : (cx + cy == 1 && cx < 2);
        bool shadowBar = flip ? (cx == cy + 1 && cy < 2 && cx < 3) : (cx + cy == 2 && cx >= 1 && cx < 3 && cy < 2);
        if (bar)
            return 0.72;
        if (shadowBar)
            return 0.22;
        return 0.42 + (hash01(x, y, 28) - 0.5) * 0.08;
    });
    if (v == 1) {
        // A seam with bolts: the same plate, laid as two halves.
        for (int x = 1; x < 15; ++x) {
            t.set(x, 7, Plate[0]);
            t.set(x, 8, Plate[4]);
        }
        rivet(t, 2, 4, Plate);
        rivet(t, 12, 11, Plate);
    } else {
        rivet(t, 2, 2, Plate);
        rivet(t, 12, 12, Plate);
    }
    return t;
}

// ---------------------------------------------------------------- 30, 31 sandbags
Image sandbags(int v)
{
    // Two courses of pillow-shaped bags per cell, joints staggered by half a bag.
    Image t(16, 16, Sand[0]);
    for (int row = 0; row < 2; ++row) {
        double cy = row * 8 + 4.0;
        int off = row ? 0 : 4;
        for (int k = -1; k <= 2; ++k) {
            double cx = off + k * 8.0;
            bool edge = cx - 4 < 0 || cx + 4 > 16;
            double tint = edge ? 0.0 : (hash01(row * 4 + k, v, 31) - 0.5) * 0.14;
            for (int y = int(cy) - 4; y < int(cy) + 4; ++y)
                for (int x = int(cx) - 4; x < int(cx) + 4; ++x) {
                    if (!t.inside(x, y))
                        continue;
                    double dx = (x + 0.5 - cx) / 3.9, dy = (y + 0.5 - cy) / 3.6;
                    double d = std::pow(std::pow(std::abs(dx), 3) + std::pow(std::abs(dy), 3), 1.0 / 3);
                    if (d > 1.0)
                        continue;
                    double light = 0.62 - 0.34 * dx - 0.42 * dy - 0.25 * d * d;
                    double b = light + tint + (hash01(x, y, edge ? 30 : 30 + v) - 0.5) * 0.1;
                    t.set(x, y, shade(Sand, b));
                }
            // The tied end of each bag.
            int tx = int(cx) + (row ? 2 : -3);
            t.set(tx, int(cy) - 1, Sand[1]);
            t.set(tx, int(cy), Sand[1]);
        }
    }
    // A patched bag and a loose thread, kept inside the cell.
    if (v == 1) {
        t.set(7, 10, Sand[5]);
        t.set(8, 10, Sand[4]);
        t.set(7, 11, Sand[4]);
        t.set(11, 3, Sand[1]);
        t.set(12, 4, Sand[1]);
    }
    return t;
}

// ---------------------------------------------------------------- 32, 33 concrete
Image concreteBlock(int v)
{
    Image t = bevelBlock(Concrete, 2, [&](int x, int y) {
        double pits = hash01(x, y, 32 + v);
        double b = 0.5 + (pits - 0.5) * 0.14;
        if (pits > 0.93)
            b = 0.28;
        return b;
    });
    // A recessed groove across the block, as on cast barriers.
    for (int x = 2; x < 14; ++x) {
        t.set(x, 7, Concrete[1]);
        t.set(x, 8, Concrete[4]);
    }
    if (v == 1) {  // a crack through the block
        int pts[][2] = {{5, 2}, {6, 3}, {6, 4}, {7, 5}, {7, 6}, {8, 9}, {9, 10}, {9, 11}, {10, 12}};
        for (auto& p : pts)
            t.set(p[0], p[1], Concrete[0]);
        t.set(7, 6, Concrete[1]);
    } else {
        t.set(4, 11, Concrete[1]);
        t.set(11, 4, Concrete[1]);
    }
    return t;
}

// ---------------------------------------------------------------- 34, 35 fence
Image fenceTile(int v)
{
    Image obj(16, 16);
    // Two rails near the bottom of the cell, a post at one end.
    for (int x = 0; x < 16; ++x) {
        obj.set(x, 9, Wood[4]);
        obj.set(x, 10, Wood[2]);
        obj.set(x, 13, Wood[4]);
        obj.set(x, 14, Wood[2]);
        if (hash(x, v, 34) % 5 == 0) {
            obj.set(x, 10, Wood[1]);
            obj.set(x, 14, Wood[1]);
        }
    }
    int px = v == 0 ? 3 : 11;
    for (int y = 5; y < 16; ++y) {
        obj.set(px, y, Wood[3]);
        obj.set(px + 1, y, Wood[1]);
    }
    obj.set(px, 5, Wood[5]);
    obj.set(px + 1, 5, Wood[3]);
    // Nails where the rails meet the post.
    obj.set(px, 9, Steel[4]);
    obj.set(px, 13, Steel[4]);
    Image t(16, 16);
    bakeShadow(t, obj, 2, 2);
    t.draw(obj, 0, 0);
    return t;
}

// ---------------------------------------------------------------- 36 rubble
Image rubbleTile()
{
    Image obj(16, 16);
    struct Chunk {
        double x, y, rx, ry;
        const Ramp* r;
    };
    // A heap of broken bricks and concrete: big lumps at the back, small ones in front.
    Chunk chunks[] = {{5, 5, 3.6, 2.8, &Stone},   {11, 4, 3.4, 2.6, &Brick},  {8, 8, 4.2, 3.0, &Brick},
                      {3, 10, 3.0, 2.4, &Brick},  {12, 10, 3.4, 2.6, &Stone}, {7, 12, 3.0, 2.2, &Stone},
                      {13, 14, 1.8, 1.4, &Brick}, {2, 14, 1.6, 1.2, &Stone}};
    for (auto& c : chunks)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                double dx = (x + 0.5 - c.x) / c.rx, dy = (y + 0.5 - c.y) / c.ry;
                double d = std::max(std::abs(dx), std::abs(dy)) * 0.6 + std::sqrt(dx * dx + dy * dy) * 0.4;
                if (d > 1.0)
                    continue;
                double b = 0.55 - 0.35 * dx - 0.35 * dy + (hash01(x, y, 36) - 0.5) * 0.15;
                if (d > 0.82 && (dx > 0 || dy > 0))
                    b = 0.05;  // dark lower edge separates the lumps
                obj.set(x, y, shade(*c.r, b));
            }
    // Mortar crumbs and a bent rebar.
    obj.set(6, 7, Concrete[4]);
    obj.set(10, 12, Concrete[4]);
    obj.line(9, 3, 13, 6, Steel[1]);
    obj.set(14, 6, Steel[2]);
    Image t(16, 16);
    bakeShadow(t, obj, 1, 1);
    t.draw(obj, 0, 0);
    return t;
}

// ---------------------------------------------------------------- 37 hedgehog
Image hedgehogTile()
{
    Image obj(16, 16);
    auto beam = [&](int x0, int y0, int x1, int y1) {
        obj.line(x0, y0, x1, y1, Steel[1]);
        obj.line(x0 + 1, y0, x1 + 1, y1, Steel[3]);
        obj.line(x0, y0 - 1, x1, y1 - 1, Steel[4]);
    };
    beam(2, 13, 13, 3);
    beam(2, 3, 13, 13);
    obj.line(7, 2, 7, 14, Steel[2]);
    obj.line(8, 2, 8, 14, Steel[4]);
    obj.set(7, 8, Steel[5]);
    obj.set(8, 8, Steel[5]);
    Image t(16, 16);
    bakeShadow(t, obj, 2, 2);
    t.draw(obj, 0, 0);
    return t;
}

// ---------------------------------------------------------------- 38 barrel
Image barrelTile()
{
    Image obj(16, 16);
    // Body seen from above and a little from the front: a drum with a lid.
    for (int y = 4; y <= 14; ++y)
        for (int x = 3; x <= 12; ++x) {
            double u = (x + 0.5 - 8.0) / 5.0;
            double b = 0.62 - 0.55 * u * u - 0.2 * u;
            if (y == 7 || y == 11)
                b -= 0.25;  // hoops
            obj.set(x, y, shade(Red, b));
        }
    obj.disc(8, 4.5, 5, 2.6, Red[2]);
    obj.disc(8, 4.5, 4, 1.8, Red[1]);
    obj.disc(8.5, 4.7, 3, 1.2, Red[0]);
    obj.set(6, 4, Steel[4]);  // bung
    obj.set(10, 3, Red[5]);
    for (int x = 4; x <= 11; ++x)
        obj.set(x, 14, Red[0]);
    // Warning stripe.
    for (int x = 5; x <= 10; ++x)
        obj.set(x, 9, x % 2 ? rgb(240, 200, 40) : rgb(40, 36, 30));
    Image t(16, 16);
    bakeShadow(t, obj, 2, 2);
    t.draw(obj, 0, 0);
    return t;
}

// ---------------------------------------------------------------- 39 warning sign
Image signTile()
{
    Image obj(16, 16);
    for (int y = 8; y < 16; ++y) {
        obj.set(7, y, Wood[3]);
        obj.set(8, y, Wood[1]);
    }
    // Yellow triangle with a black border and an exclamation mark.
    for (int y = 1; y <= 10; ++y) {
        int half = (y - 1) * 7 / 9;
        for (int x = 8 - half - 1; x <= 7 + half + 1; ++x) {
            bool border = y == 10 || x == 8 - half - 1 || x == 7 + half + 1;
            obj.set(x, y, border ? rgb(36, 30, 22) : (x < 8 ? rgb(250, 214, 60) : rgb(226, 180, 40)));
        }
    }
    obj.set(7, 4, rgb(36, 30, 22));
    obj.set(8, 4, rgb(36, 30, 22));
    obj.set(7, 5, rgb(36, 30, 22));
    obj.set(8, 5, rgb(36, 30, 22));
    obj.set(7, 6, rgb(36, 30, 22));
    obj.set(8, 6, rgb(36, 30, 22));
    obj.set(7, 8, rgb(36, 30, 22));
    obj.set(8, 8, rgb(36, 30, 22));
    Image t(16, 16);
    bakeShadow(t, obj, 2, 2);
    t.draw(obj, 0, 0);
    return t;
}

// ---------------------------------------------------------------- 40..43 steel
Image steelTile(int v)
{
    Image t = bevelBlock(Steel, 2, [&](int x, int y) {
        // Brushed sheen running diagonally, placed a little differently per variant.
        double s = std::sin((x - y + v * 3) * Pi / 14.0);
        return 0.48 + 0.10 * s + (hash01(x, y, 40) - 0.5) * 0.06;
    });
    rivet(t, 3, 3, Steel);
    rivet(t, 11, 3, Steel);
    rivet(t, 3, 11, Steel);
    rivet(t, 11, 11, Steel);
    if (v == 1) {  // scratches
        t.set(6, 9, Steel[4]);
        t.set(7, 8, Steel[4]);
        t.set(8, 7, Steel[3]);
    }
    if (v == 2) {  // a dent
        t.set(8, 8, Steel[1]);
        t.set(9, 8, Steel[2]);
        t.set(8, 9, Steel[2]);
        t.set(7, 7, Steel[4]);
    }
    if (v == 3) {  // a weld seam
        for (int y = 5; y <= 10; ++y)
            t.set(7, y, (y & 1) ? Steel[3] : Steel[2]);
    }
    return t;
}

// Voronoi cells repeating every 16 pixels: id of the nearest seed and the gap
// to the second nearest, for masonry and rock.
struct Cell {
    int id;
    double d1, d2;
    double dx, dy;  // from the seed to the pixel
};
Cell voronoi(const std::vector<std::array<double, 2>>& seeds, double x, double y)
{
    Cell c{-1, 1e9, 1e9, 0, 0};
    for (int i = 0; i < int(seeds.size()); ++i)
        for (int oy = -16; oy <= 16; oy += 16)
            for (int ox = -16; ox <= 16; ox += 16) {
                double dx = x - (seeds[i][0] + ox), dy = y - (seeds[i][1] + oy);
                double d = std::sqrt(dx * dx + dy * dy);
                if (d < c.d1) {
                    c.d2 = c.d1;
                    c.d1 = d;
                    c.id = i;
                    c.dx = dx;
                    c.dy = dy;
                } else if (d < c.d2) {
                    c.d2 = d;
                }
            }
    return c;
}

// ---------------------------------------------------------------- 44..47 stone
Image stoneTile(int v)
{
    static const std::vector<std::array<double, 2>> seeds = {{2, 2},  {9, 1},  {14, 5}, {5, 7},
                                                             {11, 9}, {2, 12}, {8, 13}, {14, 14}};
    Image t(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Cell c = voronoi(seeds, x + 0.5, y + 0.5);
            double gap = c.d2 - c.d1;
            if (gap < 1.0) {
                t.set(x, y, Stone[0]);
                continue;
            }
            // Stones touching the tile edge keep one look in every variant.
            double tint = (hash01(c.id, v, 44) - 0.5) * 0.16;
            double b = 0.5 + tint;
            Cell up = voronoi(seeds, x + 0.5 - 1.2, y + 0.5 - 1.2);
            Cell dn = voronoi(seeds, x + 0.5 + 1.2, y + 0.5 + 1.2);
            if (up.id != c.id)
                b += 0.25;
            else if (dn.id != c.id)
                b -= 0.22;
            b += (hash01(x, y, 45) - 0.5) * 0.14;
            t.set(x, y, shade(Stone, b));
        }
    return t;
}

// Stone tint must not depend on the variant for stones on the edge; redraw them.
Image stoneTileSeamless(int v)
{
    Image t = stoneTile(v);
    Image base = stoneTile(0);
    static const std::vector<std::array<double, 2>> seeds = {{2, 2},  {9, 1},  {14, 5}, {5, 7},
                                                             {11, 9}, {2, 12}, {8, 13}, {14, 14}};
    std::vector<bool> edge(seeds.size(), false);
    for (int i = 0; i < 16; ++i) {
        int pts[4][2] = {{i, 0}, {i, 15}, {0, i}, {15, i}};
        for (auto& p : pts)
            edge[std::size_t(voronoi(seeds, p[0] + 0.5, p[1] + 0.5).id)] = true;
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (edge[std::size_t(voronoi(seeds, x + 0.5, y + 0.5).id)])
                t.set(x, y, base.get(x, y));
    // Moss in the joints of some variants, away from the edges.
    if (v == 1) {
        t.set(6, 5, Moss[2]);
        t.set(7, 5, Moss[3]);
        t.set(7, 6, Moss[1]);
    }
    if (v == 3) {
        t.set(9, 11, Moss[2]);
        t.set(10, 11, Moss[4]);
        t.set(10, 12, Moss[1]);
    }
    return t;
}

// ---------------------------------------------------------------- 48..51 crates
Image crateTile(int v)
{
    Image t(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool frame = x <= 2 || x >= 13 || y <= 2 || y >= 13;
            double b;
            if (frame) {
                b = 0.62;
                if (x == 0 || y == 0)
                    b = 0.86;
                if (x == 15 || y == 15)
                    b = 0.02;
                if ((x == 2 && y > 2 && y < 13) || (y == 2 && x > 2 && x < 13))
                    b = 0.25;
            } else {
                // Planks with grain, running across.
                int plank = (y - 3) / 3;
                b = 0.42 + (hash01(plank, v, 48) - 0.5) * 0.12 + (hash01(x / 3, y, 49) - 0.5) * 0.1;
                if ((y - 3) % 3 == 2)
                    b = 0.2;
            }
            b += (hash01(x, y, 50) - 0.5) * 0.06;
            t.set(x, y, shade(Wood, b));
        }
    // Nails in the frame corners.
    for (int p : {1, 13}) {
        t.set(p, 1, Steel[4]);
        t.set(p + 1, 13, Steel[1]);
    }
    if (v == 0 || v == 2) {  // diagonal brace
        for (int i = 3; i <= 12; ++i) {
            int j = v == 0 ? i : 15 - i;
            t.set(i, j, Wood[4]);
            t.set(i, j + (v == 0 ? 1 : -1) * 0, Wood[4]);
            if (i < 12)
                t.set(i + 1, j, Wood[3]);
            t.set(i, j + 1 > 12 ? 12 : j + 1, Wood[1]);
        }
    }
    if (v == 1) {  // stencilled mark
        for (int i = 6; i <= 9; ++i) {
            t.set(i, 6, Wood[1]);
            t.set(i, 9, Wood[1]);
        }
        t.set(6, 7, Wood[1]);
        t.set(6, 8, Wood[1]);
        t.set(9, 7, Wood[1]);
        t.set(9, 8, Wood[1]);
    }
    if (v == 3) {  // a knot and a split plank
        t.set(6, 7, Wood[1]);
        t.set(7, 7, Wood[0]);
        t.set(10, 10, Wood[1]);
        t.set(11, 10, Wood[1]);
    }
    return t;
}

// ---------------------------------------------------------------- 52..55 ice
Image iceTile(int v)
{
    Image t = bevelBlock(Ice, 1, [&](int x, int y) {
        double s = 0.56 + 0.12 * std::sin((x + y) * Pi / 10.0 + v) + (hash01(x, y, 52) - 0.5) * 0.06;
        return s;
    });
    // Facet glints.
    t.set(3, 2, Ice[5]);
    t.set(2, 3, Ice[5]);
    t.set(3, 3, Ice[4]);
    // Cracks inside the block, one shape per variant.
    static const int cracks[4][6][2] = {
        {{5, 9}, {6, 8}, {7, 8}, {8, 7}, {9, 7}, {10, 6}},
        {{4, 6}, {5, 7}, {6, 7}, {7, 8}, {7, 9}, {8, 10}},
        {{9, 4}, {9, 5}, {10, 6}, {10, 7}, {11, 8}, {11, 9}},
        {{6, 11}, {7, 10}, {8, 10}, {9, 11}, {10, 11}, {11, 10}},
    };
    for (auto& p : cracks[v]) {
        t.set(p[0], p[1], Ice[1]);
        t.set(p[0], p[1] - 1, Ice[4]);
    }
    t.set(12, 12, Ice[2]);
    return t;
}

// ---------------------------------------------------------------- 56..59 rock
Image rockTile(int v)
{
    static const std::vector<std::array<double, 2>> seeds = {{4, 3}, {12, 2}, {8, 9}, {1, 10}, {14, 12}};
    Image t(16, 16);
    std::vector<bool> edge(seeds.size(), false);
    for (int i = 0; i < 16; ++i) {
        int pts[4][2] = {{i, 0}, {i, 15}, {0, i}, {15, i}};
        for (auto& p : pts)
            edge[std::size_t(voronoi(seeds, p[0] + 0.5, p[1] + 0.5).id)] = true;
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Cell c = voronoi(seeds, x + 0.5, y + 0.5);
            double gap = c.d2 - c.d1;
            // Boulders: rounded shading from their centres.
            double r = std::max(c.d1 + gap * 0.5, 1.0);
            double nx = c.dx / r, ny = c.dy / r;
            double b = 0.52 - 0.38 * (nx + ny) * 0.7;
            if (gap < 1.3)
                b = gap < 0.7 ? 0.02 : 0.16;
            int vv = edge[std::size_t(c.id)] ? 0 : v;
            b += (hash01(x, y, 56 + vv) - 0.5) * 0.18;
            t.set(x, y, shade(Rock, b));
        }
    // Variant details away from the edges: a vein of quartz, a crack, lichen.
    if (v == 1) {
        t.set(7, 8, Rock[5]);
        t.set(8, 9, Rock[5]);
        t.set(9, 9, Rock[4]);
    }
    if (v == 2) {
        t.set(6, 10, Rock[0]);
        t.set(7, 11, Rock[0]);
        t.set(8, 11, Rock[1]);
    }
    if (v == 3) {
        t.set(9, 7, Moss[3]);
        t.set(10, 7, Moss[2]);
        t.set(9, 8, Moss[1]);
    }
    return t;
}

// ---------------------------------------------------------------- 60..63 energy block
Image energyTile(int f)
{
    Image t = bevelBlock(Steel, 2, [&](int x, int y) { return 0.28 + (hash01(x, y, 60) - 0.5) * 0.06; });
    // A glowing core behind a window; the glow pulses and swirls over 4 frames.
    static const double pulse[4] = {0.0, 0.45, 1.0, 0.45};
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x) {
            double dx = x + 0.5 - 8, dy = y + 0.5 - 8;
            double r = std::sqrt(dx * dx + dy * dy);
            double a = std::atan2(dy, dx);
            double swirl = std::sin(a * 2 + r * 0.9 - f * Pi / 2);
            double b = 0.95 - r * 0.14 + 0.12 * swirl + 0.18 * pulse[f] - 0.1;
            t.set(x, y, shade(Fire, b + dither2(x, y) * 0.08));
        }
    // Window frame corners darkened, so the core reads round.
    for (int p : {4, 11})
        for (int q : {4, 11})
            t.set(p, q, Steel[1]);
    // Vents that glow with the pulse.
    Color vent = f == 2 ? Fire[3] : f == 0 ? Fire[1] : Fire[2];
    for (int i = 5; i <= 10; i += 2) {
        t.set(i, 2, vent);
        t.set(i, 13, vent);
        t.set(2, i, vent);
        t.set(13, i, vent);
    }
    return t;
}

}  // namespace

Image drawTiles()
{
    Image sheet(256, 64);
    auto put = [&](int code, const Image& t) { sheet.draw(t, 16 * (code % 16), 16 * (code / 16)); };
    for (int v = 0; v < 4; ++v) {
        put(0 + v, groundTile(v));
        put(4 + v, waterTile(v));
        put(8 + v, canopyTile(v));
        put(12 + v, bushTile(v));
        put(24 + v, brickTile(v));
        put(40 + v, steelTile(v));
        put(44 + v, stoneTileSeamless(v));
        put(48 + v, crateTile(v));
        put(52 + v, iceTile(v));
        put(56 + v, rockTile(v));
        put(60 + v, energyTile(v));
    }
    for (int c = 16; c <= 23; ++c)
        put(c, shadowTile(c));
    put(28, floorPlate(0));
    put(29, floorPlate(1));
    put(30, sandbags(0));
    put(31, sandbags(1));
    put(32, concreteBlock(0));
    put(33, concreteBlock(1));
    put(34, fenceTile(0));
    put(35, fenceTile(1));
    put(36, rubbleTile());
    put(37, hedgehogTile());
    put(38, barrelTile());
    put(39, signTile());
    return sheet;
}

}  // namespace art
