// The editor's own pictures: tool buttons, option images with the enemy
// tanks, the application icon, the splash and the example backgrounds.
#include "ArtPictures.h"
#include "ArtScene.h"
#include "stage/Palette.h"
#include "stage/StageRecord.h"

#include <array>
#include <map>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Pixel art from rows of characters; each character names a colour.
Image fromRows(std::initializer_list<const char*> rows, const std::map<char, Color>& legend)
{
    int h = int(rows.size()), w = 0;
    for (const char* r : rows)
        w = std::max(w, int(std::string(r).size()));
    Image img(w, h);
    int y = 0;
    for (const char* r : rows) {
        for (int x = 0; r[x]; ++x) {
            auto it = legend.find(r[x]);
            if (it != legend.end())
                img.set(x, y, it->second);
        }
        ++y;
    }
    return img;
}

Image mirrored(const Image& src)
{
    Image r(src.w, src.h);
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x)
            r.set(src.w - 1 - x, y, src.get(x, y));
    return r;
}

// Value noise that repeats every `period` lattice cells.
double lattice(int x, int y, int period, int seed)
{
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return hash01(x, y, seed);
}
double smooth(double t)
{
    return t * t * (3 - 2 * t);
}
double noise(double x, double y, int period, int seed)
{
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    double fx = smooth(x - xi), fy = smooth(y - yi);
    double a = lattice(xi, yi, period, seed), b = lattice(xi + 1, yi, period, seed);
    double c = lattice(xi, yi + 1, period, seed), d = lattice(xi + 1, yi + 1, period, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}
// Fractal noise over an image of w x h pixels that tiles seamlessly; `cells`
// lattice cells across the width at the coarsest octave.
double fbm(double x, double y, int w, int h, int cells, int octaves, int seed)
{
    (void)h;
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        int c = cells << o;
        double s = double(c) / w;
        sum += amp * noise(x * s, y * s, c, seed + o * 17);
        norm += amp;
        amp *= 0.5;
    }
    return sum / norm;
}

// ---------------------------------------------------------------- tanks
struct TankLook {
    std::array<Color, 4> hull;  // dark, mid, light, highlight
    int hullW, hullH;           // hull between the tracks
    int trackW;
    int turret;  // 0 round, 1 square, 2 hexagon, 3 dome, 4 none (casemate), 5 open rack
    int turretR;
    int guns;  // 1 or 2 barrels
    int gunLen, gunW;
    int extra;  // 0 none, 1 skirts, 2 rockets, 3 wheels, 4 antenna+radar, 5 fuel tank, 6 energy orb, 7 spikes
};

std::array<Color, 4> ramp4(int r, int g, int b)
{
    return {rgb(r * 45 / 100, g * 45 / 100, b * 45 / 100), rgb(r, g, b),
            rgb(r + (255 - r) * 30 / 100, g + (255 - g) * 30 / 100, b + (255 - b) * 30 / 100),
            rgb(r + (255 - r) * 60 / 100, g + (255 - g) * 60 / 100, b + (255 - b) * 60 / 100)};
}

// gunLen is how far the barrel reaches beyond the hull front.
const TankLook kTanks[16] = {
    {ramp4(84, 140, 60), 12, 16, 4, 0, 4, 1, 5, 2, 0},    // 0 light tank
    {ramp4(200, 170, 90), 10, 18, 4, 3, 3, 1, 4, 1, 3},   // 1 fast scout on wheels
    {ramp4(110, 120, 60), 14, 18, 4, 0, 5, 1, 7, 2, 0},   // 2 medium tank
    {ramp4(96, 100, 104), 16, 20, 5, 1, 6, 1, 8, 3, 0},   // 3 heavy tank
    {ramp4(90, 120, 170), 14, 20, 4, 2, 5, 1, 7, 2, 1},   // 4 armoured tank with skirts
    {ramp4(140, 100, 60), 12, 18, 4, 3, 4, 1, 11, 2, 0},  // 5 artillery
    {ramp4(190, 160, 100), 14, 20, 4, 5, 0, 0, 0, 0, 2},  // 6 rocket launcher
    {ramp4(180, 50, 40), 14, 18, 4, 1, 5, 2, 6, 2, 0},    // 7 twin cannon
    {ramp4(220, 120, 40), 12, 18, 4, 0, 4, 1, 3, 3, 5},   // 8 flame tank
    {ramp4(60, 150, 150), 14, 18, 4, 2, 4, 2, 8, 1, 0},   // 9 anti-air
    {ramp4(120, 120, 96), 16, 20, 4, 4, 0, 1, 10, 3, 0},  // 10 tank destroyer
    {ramp4(70, 56, 96), 12, 18, 4, 2, 5, 1, 6, 2, 7},     // 11 raider with spikes
    {ramp4(100, 170, 210), 16, 18, 4, 3, 5, 1, 5, 2, 3},  // 12 amphibious
    {ramp4(200, 204, 196), 14, 18, 4, 1, 5, 1, 5, 2, 4},  // 13 command tank
    {ramp4(130, 40, 40), 18, 22, 5, 1, 7, 2, 8, 3, 1},    // 14 super heavy
    {ramp4(220, 180, 60), 14, 20, 4, 3, 6, 1, 7, 3, 6},   // 15 energy cannon
};

void bevelRect(Image& img, int x, int y, int w, int h, const std::array<Color, 4>& r)
{
    img.fill(x, y, w, h, r[1]);
    for (int i = x; i < x + w; ++i) {
        img.set(i, y, r[2]);
        img.set(i, y + h - 1, r[0]);
    }
    for (int j = y; j < y + h; ++j) {
        img.set(x, j, r[2]);
        img.set(x + w - 1, j, r[0]);
    }
    img.set(x, y, r[3]);
}

Image tankImage(const TankLook& t, int typeIndex)
{
    Image img(32, 32);
    const Color outlineC = rgb(16, 14, 10);
    int cx = 16;
    int top = 30 - t.hullH;  // hull bottom near the cell's bottom, room for the gun above
    int hx = cx - t.hullW / 2;
    // Tracks or wheels.
    std::array<Color, 4> track = {rgb(30, 28, 26), rgb(58, 56, 52), rgb(96, 94, 88), rgb(140, 138, 130)};
    for (int side = 0; side < 2; ++side) {
        int tx = side == 0 ? hx - t.trackW : hx + t.hullW;
        int th = t.hullH + 2;
        int ty = top - 1;
        if (t.extra == 3) {
            // Wheels: three pairs.
            for (int k = 0; k < 3; ++k) {
                int wy = ty + 1 + k * (th - 5) / 2;
                img.fill(tx, wy, t.trackW, 4, track[1]);
                img.fill(tx + (side ? 0 : t.trackW - 1), wy + 1, 1, 2, track[2]);
                img.set(tx, wy, track[0]);
            }
        } else {
            img.fill(tx, ty, t.trackW, th, track[1]);
            for (int j = ty; j < ty + th; ++j)
                if ((j - ty) % 2 == 0)
                    for (int i = tx; i < tx + t.trackW; ++i)
                        img.set(i, j, track[0]);
            for (int j = ty + 1; j < ty + th - 1; j += 2)
                img.set(tx + (side ? t.trackW - 1 : 0), j, track[2]);
        }
        if (t.extra == 1) {  // armour skirts over the tracks
            int sx = side == 0 ? tx - 1 : tx;
            int sw = t.trackW + 1;
            bevelRect(img, sx, ty + 2, sw, th - 4, t.hull);
            for (int j = ty + 5; j < ty + th - 4; j += 4)
                img.set(sx + sw / 2, j, t.hull[0]);
        }
        if (t.extra == 7) {  // spikes on the tracks' front
            img.set(tx + t.trackW / 2, ty - 1, rgb(220, 220, 210));
            img.set(tx + t.trackW / 2, ty - 2, rgb(160, 160, 150));
        }
    }
    // Hull.
    bevelRect(img, hx, top, t.hullW, t.hullH, t.hull);
    // Front plate and engine deck lines.
    for (int i = hx + 1; i < hx + t.hullW - 1; ++i) {
        img.set(i, top + 2, t.hull[2]);
        img.set(i, top + t.hullH - 4, t.hull[0]);
        if ((i - hx) % 2 == 1)
            img.set(i, top + t.hullH - 3, t.hull[0]);
    }
    int tcx = cx, tcy = top + t.hullH / 2 + 1;
    // Gun barrels pointing up.
    auto barrel = [&](int x, int len, int w) {
        int y0 = std::max(1, top - len);
        for (int y = y0; y <= tcy; ++y)
            for (int i = 0; i < w; ++i)
                img.set(x + i, y, i == 0 ? t.hull[2] : i == w - 1 && w > 1 ? t.hull[0] : t.hull[1]);
        img.fill(x - (w > 1 ? 1 : 0), y0, w + (w > 1 ? 2 : 1), 2, t.hull[0]);  // muzzle brake
        img.set(x, y0, t.hull[2]);
    };
    if (t.guns == 2) {
        barrel(tcx - 1 - t.gunW, t.gunLen, t.gunW);
        barrel(tcx + 1, t.gunLen, t.gunW);
    } else if (t.guns == 1) {
        barrel(tcx - t.gunW / 2, t.gunLen, t.gunW);
    }
    // Turret.
    std::array<Color, 4> turretRamp = {mix(t.hull[0], rgb(0, 0, 0), 0.35), mix(t.hull[1], rgb(255, 255, 255), 0.12),
                                       mix(t.hull[2], rgb(255, 255, 255), 0.15), t.hull[3]};
    switch (t.turret) {
    case 0:  // round
        img.disc(tcx, tcy, t.turretR + 0.5, t.turretR + 0.5, turretRamp[0]);
        img.disc(tcx - 0.5, tcy - 0.5, t.turretR, t.turretR, turretRamp[1]);
        img.disc(tcx - 1.5, tcy - 1.5, t.turretR * 0.45, t.turretR * 0.45, turretRamp[2]);
        break;
    case 1:  // square
        bevelRect(img, tcx - t.turretR, tcy - t.turretR, 2 * t.turretR, 2 * t.turretR, turretRamp);
        img.fill(tcx - t.turretR + 2, tcy - t.turretR + 2, 2, 2, turretRamp[2]);
        break;
    case 2:  // hexagon
        for (int y = -t.turretR; y < t.turretR; ++y) {
            int half = t.turretR - std::max(0, std::abs(y * 2 + 1) / 2 - t.turretR / 2);
            for (int x = -half; x < half; ++x)
                img.set(tcx + x, tcy + y,
                        x == -half || y == -t.turretR         ? turretRamp[2]
                        : x == half - 1 || y == t.turretR - 1 ? turretRamp[0]
                                                              : turretRamp[1]);
        }
        break;
    case 3:  // dome
        img.disc(tcx, tcy, t.turretR + 0.5, t.turretR + 0.5, turretRamp[0]);
        img.disc(tcx - 0.5, tcy - 0.5, t.turretR, t.turretR, turretRamp[1]);
        img.disc(tcx - 1, tcy - 1, t.turretR * 0.7, t.turretR * 0.7, turretRamp[2]);
        img.disc(tcx - 1.5, tcy - 1.5, t.turretR * 0.3, t.turretR * 0.3, turretRamp[3]);
        break;
    case 4:  // casemate: a raised front block instead of a turret
        bevelRect(img, hx + 1, top + 2, t.hullW - 2, t.hullH / 2 + 1, turretRamp);
        break;
    case 5: {  // rocket rack: rows of missile tubes
        bevelRect(img, tcx - 5, tcy - 6, 10, 11, turretRamp);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                int x = tcx - 4 + c * 3, y = tcy - 5 + r * 3;
                img.set(x, y, rgb(30, 26, 20));
                img.set(x + 1, y, rgb(200, 50, 40));
                img.set(x, y + 1, rgb(200, 50, 40));
                img.set(x + 1, y + 1, rgb(120, 30, 24));
            }
        break;
    }
    }
    if (t.turret != 4 && t.turret != 5) {
        // Commander's hatch.
        img.set(tcx + 1, tcy + 1, turretRamp[0]);
        img.set(tcx + 2, tcy + 1, turretRamp[0]);
        img.set(tcx + 1, tcy + 2, turretRamp[0]);
        img.set(tcx + 2, tcy + 2, turretRamp[2]);
    }
    switch (t.extra) {
    case 2: break;
    case 4:  // antenna and a radar dish
        img.line(hx + t.hullW - 2, top + t.hullH - 2, hx + t.hullW + 2, top - 3, rgb(40, 40, 40));
        img.set(hx + t.hullW + 2, top - 3, rgb(230, 40, 30));
        img.disc(hx + 3, top + t.hullH - 4, 2, 2, rgb(230, 232, 236));
        img.set(hx + 3, top + t.hullH - 4, rgb(60, 60, 70));
        break;
    case 5:  // fuel tank at the back
        img.disc(cx, top + t.hullH - 2, 3.5, 2.5, rgb(60, 60, 56));
        img.disc(cx - 0.5, top + t.hullH - 2.5, 2.5, 1.5, rgb(200, 60, 30));
        img.set(cx - 1, top + t.hullH - 3, rgb(250, 160, 80));
        // Pilot flame at the nozzle.
        img.set(tcx - 1, top - t.gunLen - 1, rgb(255, 200, 60));
        img.set(tcx, top - t.gunLen - 2, rgb(255, 240, 160));
        img.set(tcx + 1, top - t.gunLen - 1, rgb(240, 120, 30));
        break;
    case 6:  // energy orb on the cannon
        img.disc(tcx, top - t.gunLen + 1, 2.5, 2.5, rgb(80, 200, 255));
        img.set(tcx - 1, top - t.gunLen, rgb(230, 250, 255));
        break;
    }
    // Unit mark on the deck: a small number of dots, so equal colours still differ.
    (void)typeIndex;
    outline(img, outlineC);
    return img;
}

// ---------------------------------------------------------------- buttons
const std::map<char, Color> kIconColours = {
    {'k', rgb(20, 20, 24)},   {'w', rgb(255, 255, 255)}, {'g', rgb(128, 128, 128)}, {'l', rgb(192, 192, 192)},
    {'d', rgb(72, 72, 72)},   {'r', rgb(220, 40, 30)},   {'R', rgb(140, 20, 16)},   {'p', rgb(244, 150, 160)},
    {'P', rgb(200, 96, 110)}, {'b', rgb(40, 90, 210)},   {'B', rgb(20, 50, 130)},   {'c', rgb(110, 170, 250)},
    {'y', rgb(250, 210, 60)}, {'Y', rgb(190, 140, 20)},  {'o', rgb(230, 130, 40)},  {'G', rgb(40, 150, 60)},
    {'h', rgb(24, 100, 40)},  {'s', rgb(232, 190, 140)}, {'S', rgb(160, 110, 70)},  {'m', rgb(96, 60, 30)},
};

Image iconEraser()
{
    return fromRows(
        {
            "                ",
            "                ",
            "         kkk    ",
            "        kpppk   ",
            "       kpppppk  ",
            "      kpppppPk  ",
            "     kbpppppk   ",
            "    kbbbpppk    ",
            "   kbbbbbPk     ",
            "  kcbbbbBk      ",
            "  kccbbBk       ",
            "   kccBk        ",
            "    kkk  gg  g  ",
            "                ",
            "                ",
            "                ",
        },
        kIconColours);
}

Image iconLayers()
{
    return fromRows(
        {
            "                ",
            "       kk       ",
            "     kkyykk     ",
            "   kkyyyyyykk   ",
            "  kyyyyyyyyyyk  ",
            "   kkyyyyyykk   ",
            "  kG kkyykk Gk  ",
            "  kGGGkkkkGGGk  ",
            "   kkGGGGGGkk   ",
            "  kc kkGGkk ck  ",
            "  kcccckkccc ck ",
            "   kkccccccckk  ",
            "     kkcccckk   ",
            "       kk       ",
            "                ",
            "                ",
        },
        kIconColours);
}

Image iconGrid()
{
    Image img(16, 16);
    img.fill(1, 1, 14, 14, rgb(250, 250, 244));
    for (int i = 1; i <= 15; i += 7) {
        for (int j = 1; j < 15; ++j) {
            img.set(i, j, (j & 1) ? rgb(40, 40, 48) : rgb(120, 120, 130));
            img.set(j, i, (j & 1) ? rgb(40, 40, 48) : rgb(120, 120, 130));
        }
    }
    img.frame(0, 0, 16, 16, rgb(20, 20, 24));
    img.line(8, 1, 8, 14, rgb(220, 170, 30));
    img.line(1, 8, 14, 8, rgb(220, 170, 30));
    for (int i = 4; i <= 12; i += 4) {
        img.set(i, i, rgb(40, 120, 220));
    }
    return img;
}

Image iconSelect()
{
    Image img(16, 16);
    for (int i = 1; i < 15; ++i) {
        Color c = (i / 2) % 2 ? rgb(255, 255, 255) : rgb(20, 20, 24);
        img.set(i, 2, c);
        img.set(i, 13, c);
        img.set(1, i + 1 > 13 ? 13 : i + 1, c);
        img.set(14, i + 1 > 13 ? 13 : i + 1, c);
    }
    // Arrow pointer in the corner.
    Image arrow = fromRows(
        {
            "k     ",
            "kk    ",
            "kwk   ",
            "kwwk  ",
            "kwwwk ",
            "kwwkkk",
            "kkwk  ",
            "   k  ",
        },
        kIconColours);
    img.draw(arrow, 8, 7);
    return img;
}

Image iconBucket()
{
    return fromRows(
        {
            "                ",
            "      kk        ",
            "     kllk       ",
            "    kl  k       ",
            "   kkkkkkk      ",
            "  kwwllllgk     ",
            " kwwllllllgk    ",
            " kwlllllllgbk   ",
            "  kwlllllgkbbk  ",
            "   kwlllgk bbk  ",
            "    kwlgk  bbbk ",
            "     kgk   bbBk ",
            "      k    bbBk ",
            "           kBk  ",
            "            k   ",
            "                ",
        },
        kIconColours);
}

Image iconPencil()
{
    return fromRows(
        {
            "                ",
            "           kk   ",
            "          kPPk  ",
            "         kllPPk ",
            "        kyylkk  ",
            "       kyyYkk   ",
            "      kyyYk     ",
            "     kyyYk      ",
            "    kyyYk       ",
            "   kyyYk        ",
            "   ksYk         ",
            "  kssk          ",
            "  kdk           ",
            "  kk            ",
            "                ",
            "                ",
        },
        kIconColours);
}

Image iconBox()
{
    Image img(16, 16);
    const Color a = rgb(196, 96, 56), b = rgb(150, 64, 36), hi = rgb(236, 150, 110), k = rgb(20, 20, 24);
    for (int by = 0; by < 2; ++by)
        for (int bx = 0; bx < 2; ++bx) {
            int x = 1 + bx * 7, y = 1 + by * 7;
            img.fill(x, y, 7, 7, (bx + by) % 2 ? b : a);
            img.fill(x, y, 7, 1, hi);
            img.fill(x, y, 1, 7, hi);
        }
    img.frame(0, 0, 16, 16, k);
    img.line(8, 1, 8, 14, k);
    img.line(1, 8, 14, 8, k);
    return img;
}

Image iconUndo()
{
    return fromRows(
        {
            "                ",
            "                ",
            "     k          ",
            "    kgk         ",
            "   kbbkkkkkk    ",
            "  kbccbbbbbbkk  ",
            " kbccccccccbbBk ",
            "  kbbBBBBBBcbBk ",
            "   kbBkkkkkkbbBk",
            "    kBk     kbBk",
            "     k      kbBk",
            "           kbBk ",
            "         kkbBk  ",
            "        kbBBk   ",
            "        kkkk    ",
            "                ",
        },
        kIconColours);
}

// ---------------------------------------------------------------- option images 0..3
Image optCaption()
{
    // A title bar over a text field with "Aa" and a text cursor.
    Image img(32, 32);
    img.fill(2, 6, 28, 20, rgb(250, 248, 236));
    img.frame(2, 6, 28, 20, rgb(40, 40, 48));
    img.fill(3, 7, 26, 4, rgb(40, 90, 200));
    img.fill(24, 8, 3, 2, rgb(220, 220, 230));
    text(img, 5, 13, "Aa", rgb(30, 30, 36), 1);
    for (int y = 12; y <= 20; ++y)
        img.set(18, y, rgb(20, 20, 20));
    img.line(5, 23, 26, 23, rgb(150, 150, 160));
    img.line(21, 16, 26, 16, rgb(150, 150, 160));
    img.line(21, 19, 25, 19, rgb(150, 150, 160));
    return img;
}

Image optPicture()
{
    Image img(32, 32);
    img.fill(2, 4, 28, 24, rgb(120, 90, 50));
    img.fill(4, 6, 24, 20, rgb(120, 180, 240));
    for (int y = 6; y < 26; ++y)
        for (int x = 4; x < 28; ++x) {
            double hill = 18 + 4 * std::sin((x - 4) * 0.3);
            if (y > hill)
                img.set(x, y, y > 22 ? rgb(60, 120, 40) : rgb(84, 150, 54));
        }
    img.disc(21, 11, 3, 3, rgb(255, 230, 90));
    img.disc(9, 10, 3.5, 1.6, rgb(250, 250, 250));
    img.frame(2, 4, 28, 24, rgb(40, 28, 14));
    img.frame(3, 5, 26, 22, rgb(180, 140, 80));
    return img;
}

Image optColour()
{
    Image img(32, 32);
    img.disc(16, 16, 13, 11, rgb(40, 30, 20));
    img.disc(16, 16, 12, 10, rgb(220, 186, 130));
    img.disc(21, 21, 3, 2.5, Clear);
    const Color dabs[] = {rgb(220, 40, 30), rgb(250, 210, 60), rgb(50, 160, 60), rgb(40, 90, 210), rgb(40, 32, 16)};
    const double pos[][2] = {{9, 12}, {14, 9}, {20, 10}, {24, 15}, {10, 19}};
    for (int i = 0; i < 5; ++i) {
        img.disc(pos[i][0], pos[i][1], 2.5, 2.5, dabs[i]);
        img.set(int(pos[i][0]) - 1, int(pos[i][1]) - 1, mix(dabs[i], rgb(255, 255, 255), 0.5));
    }
    return img;
}

Image optCount()
{
    // A counter display with seven-segment digits and its up and down arrows.
    Image img(32, 32);
    img.fill(1, 7, 22, 18, rgb(40, 40, 48));
    img.fill(2, 8, 20, 16, rgb(16, 20, 16));
    const Color on = rgb(255, 90, 50), off = rgb(50, 30, 26);
    static const int seg[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    auto digit = [&](int x, int y, int d) {
        int m = seg[d];
        auto bar = [&](int bit, int x0, int y0, int x1, int y1) {
            img.line(x0, y0, x1, y1, (m >> bit) & 1 ? on : off);
        };
        bar(0, x + 1, y, x + 5, y);
        bar(1, x + 6, y + 1, x + 6, y + 5);
        bar(2, x + 6, y + 7, x + 6, y + 11);
        bar(3, x + 1, y + 12, x + 5, y + 12);
        bar(4, x, y + 7, x, y + 11);
        bar(5, x, y + 1, x, y + 5);
        bar(6, x + 1, y + 6, x + 5, y + 6);
    };
    digit(4, 10, 1);
    digit(13, 10, 2);
    // Up-down arrows.
    const Color face = rgb(200, 198, 190), dark = rgb(60, 60, 64);
    for (int k = 0; k < 2; ++k) {
        int y0 = 7 + k * 9;
        img.fill(24, y0, 7, 9, face);
        img.frame(24, y0, 7, 9, dark);
        for (int r = 0; r < 3; ++r)
            for (int i = -r; i <= r; ++i)
                img.set(27 + i, k == 0 ? y0 + 3 + r : y0 + 5 - r, rgb(20, 20, 24));
    }
    return img;
}

}  // namespace

Image drawTank(int type)
{
    return tankImage(kTanks[std::clamp(type, 0, 15)], type);
}

Image drawToolButtons(const Image& tiles)
{
    Image sheet(448, 16);
    sheet.draw(iconEraser(), 0, 0);
    for (int i = 1; i < PaletteButtonCount; ++i) {
        int c = PaletteTable[i];
        Image t = tiles.crop(16 * (c % 16), 16 * (c / 16), 16, 16);
        // Tiles with see-through parts show on the stage colour, as in the game.
        sheet.draw(t.flattened(StageColor), i * 16, 0);
    }
    sheet.draw(iconLayers(), 20 * 16, 0);
    sheet.draw(iconGrid(), 21 * 16, 0);
    sheet.draw(iconSelect(), 22 * 16, 0);
    sheet.draw(iconBucket(), 23 * 16, 0);
    sheet.draw(iconPencil(), 24 * 16, 0);
    sheet.draw(iconBox(), 25 * 16, 0);
    sheet.draw(iconUndo(), 26 * 16, 0);
    sheet.draw(mirrored(iconUndo()), 27 * 16, 0);
    return sheet;
}

Image drawOptionImages()
{
    Image sheet(640, 32);
    sheet.draw(optCaption(), 0, 0);
    sheet.draw(optPicture(), 32, 0);
    sheet.draw(optColour(), 64, 0);
    sheet.draw(optCount(), 96, 0);
    for (int t = 0; t < EnemyTypeCount; ++t)
        sheet.draw(drawTank(t), (4 + t) * 32, 0);
    return sheet;
}

Image drawAppIcon()
{
    // A bright green tank on a dark round badge with a gold rim.
    Image img(32, 32);
    img.disc(16, 16, 16, 16, rgb(110, 76, 24));
    img.disc(16, 16, 15, 15, rgb(230, 180, 70));
    img.disc(16, 16, 13.5, 13.5, rgb(36, 44, 58));
    img.disc(15, 15, 11, 11, rgb(46, 56, 72));
    TankLook look = kTanks[2];
    look.hull = ramp4(96, 170, 70);
    look.gunLen = 8;
    img.draw(tankImage(look, 2), 0, 0);
    return img;
}

// ---------------------------------------------------------------- splash
namespace {

Image rotated(const Image& src, int quarter)
{
    Image r(src.h, src.w);
    if (quarter % 2 == 0)
        r = Image(src.w, src.h);
    for (int j = 0; j < src.h; ++j)
        for (int i = 0; i < src.w; ++i) {
            Color c = src.get(i, j);
            switch (quarter & 3) {
            case 0: r.set(i, j, c); break;
            case 1: r.set(src.h - 1 - j, i, c); break;  // clockwise
            case 2: r.set(src.w - 1 - i, src.h - 1 - j, c); break;
            case 3: r.set(j, src.w - 1 - i, c); break;
            }
        }
    return r;
}

void explosion(Image& img, double x, double y, double r)
{
    // Smoke first, then the fireball in rings, then sparks.
    for (int i = 0; i < 7; ++i) {
        double a = i * 0.9, d = r * 0.9;
        img.disc(x + std::cos(a) * d, y + std::sin(a) * d * 0.8, r * 0.5, r * 0.45, rgb(70, 64, 58));
        img.disc(x + std::cos(a) * d - 1, y + std::sin(a) * d * 0.8 - 1, r * 0.35, r * 0.3, rgb(104, 96, 86));
    }
    img.disc(x, y, r, r, rgb(164, 44, 16));
    img.disc(x - r * 0.1, y - r * 0.1, r * 0.78, r * 0.78, rgb(230, 100, 24));
    img.disc(x - r * 0.15, y - r * 0.15, r * 0.55, r * 0.55, rgb(252, 170, 50));
    img.disc(x - r * 0.2, y - r * 0.2, r * 0.3, r * 0.3, rgb(255, 240, 180));
    for (int i = 0; i < 10; ++i) {
        double a = i * 2 * Pi / 10 + 0.3;
        double d = r * (1.4 + 0.4 * hash01(i, 0, 77));
        img.set(int(x + std::cos(a) * d), int(y + std::sin(a) * d), rgb(255, 220, 120));
    }
}

// Large letters: each font pixel a bevelled block, filled with a vertical gradient.
void blockText(Image& img, int x0, int y0, const std::string& s, int k, Color top, Color bottom)
{
    Image mask(img.w, img.h);
    text(mask, x0, y0, s, rgb(255, 255, 255), k);
    // Drop shadow.
    for (int j = 0; j < img.h; ++j)
        for (int i = 0; i < img.w; ++i)
            if (mask.get(i - 4, j - 4) != Clear && mask.get(i, j) == Clear)
                img.set(i, j, mix(img.get(i, j), rgb(0, 0, 0), 0.75));
    Image ol = mask;
    outline(ol, rgb(40, 18, 6), true);
    for (int j = 0; j < img.h; ++j)
        for (int i = 0; i < img.w; ++i) {
            if (ol.get(i, j) == Clear)
                continue;
            if (mask.get(i, j) == Clear) {
                img.set(i, j, rgb(40, 18, 6));
                continue;
            }
            double t = std::clamp(double(j - y0) / (7.0 * k), 0.0, 1.0);
            Color g = t < 0.5 ? mix(top, bottom, t * 1.2) : mix(mix(top, bottom, 0.6), bottom, (t - 0.5) * 2);
            // A bright band across the middle, like polished metal.
            if (std::abs(t - 0.47) < 0.04)
                g = mix(g, rgb(255, 255, 255), 0.45);
            int bx = ((i - x0) % k + k) % k, by = ((j - y0) % k + k) % k;
            bool openL = mask.get(i - bx - 1, j) == Clear, openT = mask.get(i, j - by - 1) == Clear;
            bool openR = mask.get(i - bx + k, j) == Clear, openB = mask.get(i, j - by + k) == Clear;
            if ((bx == 0 && openL) || (by == 0 && openT))
                g = mix(g, rgb(255, 255, 240), 0.55);
            else if ((bx == k - 1 && openR) || (by == k - 1 && openB))
                g = mix(g, rgb(60, 20, 0), 0.45);
            img.set(i, j, g);
        }
}

}  // namespace

Image drawSplash(const Image& tiles, const Image& flag)
{
    const int W = 400, H = 300;
    Image img(W, H, StageColor);
    // The battlefield, two screen pixels per tile pixel.
    drawScene(img, splashScene(), tiles, flag, -8, -4, 2);

    // Tanks: the player's below left, firing at an enemy coming down on the right.
    auto tank = [&](int type, int x, int y, int quarter) {
        img.draw(rotated(drawTank(type), quarter).scaled(2), x, y);
    };
    tank(2, 92, 176, 1);
    tank(3, 306, 176, 3);
    tank(7, 196, 92, 2);
    // Tracer from the player's gun to the heavy tank, and the hit.
    for (int x = 148; x < 306; ++x) {
        img.set(x, 208, (x / 3) % 2 ? rgb(255, 236, 160) : rgb(255, 196, 90));
        if (x > 260)
            img.set(x, 207, rgb(255, 250, 220));
    }
    explosion(img, 318, 208, 12);
    explosion(img, 60, 40, 7);

    // A gentle vignette so the title and the edges frame the scene.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double dx = (x - W / 2.0) / (W / 2.0), dy = (y - H * 0.55) / (H / 2.0);
            double v = std::clamp(1.05 - 0.45 * (dx * dx + dy * dy), 0.45, 1.0);
            img.set(x, y, mix(rgb(0, 0, 0), img.get(x, y), v));
        }
    // Title plate across the top.
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < W; ++x) {
            double t = y < 84 ? 0.78 : 0.78 * (96 - y) / 12.0;
            img.set(x, y, mix(img.get(x, y), rgb(12, 10, 6), t));
        }
    for (int x = 0; x < W; ++x) {
        img.set(x, 84, rgb(214, 160, 56));
        img.set(x, 85, rgb(120, 84, 30));
    }
    std::string top = "TANK  BATTLE";
    text(img, (W - textWidth(top) * 2) / 2 + 1, 11, top, rgb(0, 0, 0), 2);
    text(img, (W - textWidth(top) * 2) / 2, 10, top, rgb(214, 204, 176), 2);
    std::string title = "STAGE EDITOR";
    blockText(img, (W - textWidth(title) * 5) / 2, 32, title, 5, rgb(255, 244, 170), rgb(214, 96, 24));
    // Small tanks flanking the top line.
    Image small = drawTank(0);
    img.draw(rotated(small, 1), 70, 2);
    img.draw(rotated(small, 3), 298, 2);

    // Credits strip.
    for (int y = H - 20; y < H; ++y)
        for (int x = 0; x < W; ++x)
            img.set(x, y, mix(img.get(x, y), rgb(12, 10, 6), 0.8));
    for (int x = 0; x < W; ++x)
        img.set(x, H - 20, rgb(120, 84, 30));
    std::string credit = "Build the battlefield: 40 x 30 cells, 100 stages";
    text(img, (W - textWidth(credit)) / 2, H - 14, credit, rgb(204, 192, 160), 1);
    img.frame(0, 0, W, H, rgb(214, 160, 56));
    img.frame(1, 1, W - 2, H - 2, rgb(60, 40, 16));
    return img;
}

// ---------------------------------------------------------------- example backgrounds
Image drawSkyExample()
{
    // Dark meadow seen from high above: soft, so tiles read on top of it.
    const int N = 128;
    Image img(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            double n = fbm(x, y, N, N, 4, 4, 101);
            double m = fbm(x, y, N, N, 8, 2, 202);
            Color soil = mix(rgb(36, 30, 18), rgb(58, 48, 28), n);
            Color grass = mix(rgb(34, 52, 22), rgb(58, 80, 32), m);
            double g = std::clamp((n - 0.45) * 4.0, 0.0, 1.0);
            Color c = mix(soil, grass, g);
            if (hash01(x, y, 303) > 0.985)
                c = mix(c, rgb(120, 120, 96), 0.6);  // pebbles
            img.set(x, y, c);
        }
    return img;
}

Image drawDesertExample()
{
    const int W = 320, H = 240;
    Image img(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double n = fbm(x, y * 320.0 / 240.0, W, W, 4, 4, 404);
            // Wind ripples: a wave that repeats an integer number of times both ways.
            double ripple = std::sin(2 * Pi * (x * 6.0 / W + y * 10.0 / H) + 6.0 * n);
            Color c = mix(rgb(150, 118, 70), rgb(206, 170, 110), 0.35 + 0.45 * n + 0.12 * ripple);
            c = mix(c, rgb(0, 0, 0), 0.05 * (hash01(x, y, 405)));
            img.set(x, y, c);
        }
    return img;
}

Image drawBigExample(const Image& tiles)
{
    const int W = 640, H = 480;
    Image img(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double n = fbm(x, y, W, H, 5, 5, 505);
            Color c = mix(rgb(40, 48, 24), rgb(88, 96, 48), n);
            // A winding dirt road across the map.
            double road = std::abs(y - (240 + 90 * std::sin(x / 110.0)));
            if (road < 26)
                c = mix(rgb(96, 78, 52), rgb(124, 102, 70), fbm(x, y, W, H, 16, 2, 506));
            if (road >= 24 && road < 27)
                c = rgb(70, 58, 38);
            // Tyre tracks along the road.
            if (std::abs(road - 10) < 1.0 || std::abs(road - 16) < 1.0)
                c = mix(c, rgb(60, 48, 32), 0.6);
            // A river on the left.
            double river = std::abs(x - (110 + 40 * std::sin(y / 70.0)));
            if (river < 30)
                c = mix(rgb(26, 58, 110), rgb(50, 96, 160), std::clamp(1 - river / 30 + 0.2 * n, 0.0, 1.0));
            else if (river < 34)
                c = rgb(120, 110, 80);
            img.set(x, y, c);
        }
    // Shell craters.
    const double craters[][3] = {{300, 120, 14}, {470, 380, 18}, {520, 90, 10}, {250, 400, 12}, {380, 300, 9}};
    for (auto& cr : craters) {
        img.disc(cr[0] + 2, cr[1] + 2, cr[2] + 3, cr[2] * 0.8 + 3, rgb(110, 96, 64));
        img.disc(cr[0], cr[1], cr[2], cr[2] * 0.8, rgb(44, 34, 22));
        img.disc(cr[0] - 2, cr[1] - 2, cr[2] * 0.6, cr[2] * 0.45, rgb(28, 22, 14));
    }
    // A plank bridge where the road crosses the river.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double river = std::abs(x - (110 + 40 * std::sin(y / 70.0)));
            double road = std::abs(y - (240 + 90 * std::sin(x / 110.0)));
            if (river < 36 && road < 22) {
                Color c = (x / 4) % 2 ? rgb(120, 84, 48) : rgb(104, 72, 40);
                if (road > 19)
                    c = rgb(60, 40, 22);  // rails
                img.set(x, y, c);
            }
        }
    // Round tree crowns with their shadows, as landmarks.
    const double trees[][3] = {{560, 200, 20}, {70, 420, 24}, {450, 60, 22},
                               {610, 450, 18}, {250, 40, 16}, {380, 430, 14}};
    for (auto& t : trees) {
        img.disc(t[0] + 8, t[1] + 8, t[2], t[2] * 0.9, rgb(24, 28, 14));
        for (int k = 0; k < 6; ++k) {
            double a = k * 2 * Pi / 6, d = t[2] * 0.45;
            double cx = t[0] + std::cos(a) * d, cy = t[1] + std::sin(a) * d;
            img.disc(cx, cy, t[2] * 0.55, t[2] * 0.55, rgb(22, 60, 26));
            img.disc(cx - 2, cy - 2, t[2] * 0.42, t[2] * 0.42, rgb(38, 92, 36));
            img.disc(cx - 4, cy - 4, t[2] * 0.2, t[2] * 0.2, rgb(70, 130, 52));
        }
        img.disc(t[0] - 2, t[1] - 2, t[2] * 0.45, t[2] * 0.45, rgb(46, 106, 40));
        img.disc(t[0] - 4, t[1] - 4, t[2] * 0.2, t[2] * 0.2, rgb(86, 146, 60));
    }
    (void)tiles;
    return img;
}

}  // namespace art
