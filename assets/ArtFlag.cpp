// The flag at the bottom of the field: a cloth waving on a pole, 8 frames,
// in three colourings (red, blue, a torn white one).
#include "ArtPictures.h"

#include <array>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Cloth {
    std::array<Color, 5> ramp;  // dark .. light
    Color emblem, emblemShade;
    bool torn;
};

Image flagFrame(const Cloth& cl, int t)
{
    Image img(32, 32);
    const Color poleDark = rgb(70, 66, 60), poleMid = rgb(150, 146, 136), poleLight = rgb(214, 210, 200);
    const Color gold = rgb(236, 196, 64), goldDark = rgb(150, 110, 30);
    const Color edge = rgb(24, 18, 14);

    // Stone plinth the pole stands in.
    for (int y = 26; y < 32; ++y)
        for (int x = 4; x < 16; ++x) {
            bool top = y == 26;
            Color c = top ? rgb(170, 164, 150) : rgb(118, 112, 102);
            if (x == 4 || x == 15 || y == 31)
                c = rgb(64, 60, 54);
            else if (!top && (x + y * 3) % 7 == 0)
                c = rgb(96, 90, 82);
            img.set(x, y, c);
        }
    for (int x = 5; x < 15; ++x)
        img.set(x, 27, rgb(140, 134, 122));
    // Pole.
    for (int y = 3; y < 27; ++y) {
        img.set(8, y, poleDark);
        img.set(9, y, poleLight);
        img.set(10, y, poleMid);
        img.set(11, y, poleDark);
    }
    // Finial.
    img.disc(10, 2, 2, 2, gold);
    img.set(9, 1, rgb(255, 240, 160));
    img.set(11, 3, goldDark);

    // Cloth: 18 columns, 11 rows, hanging from the pole top; the wave runs
    // outwards and grows towards the free end.
    const int W = 18, H = 11, x0 = 12, y0 = 4;
    double ph = 2 * Pi * t / 8.0;
    auto lift = [&](double u) { return 2.2 * std::sin(2 * Pi * u / 15.0 - ph) * std::pow(u / W, 0.8); };
    Image cloth(32, 32);
    for (int u = 0; u < W; ++u) {
        double dy = lift(u + 0.5);
        double slope = lift(u + 1.0) - lift(u);
        int top = y0 + int(std::lround(dy));
        int len = H;
        if (cl.torn) {
            // Tattered free end: ragged bottom and a notch.
            if (u > 12)
                len -= int(hash(u, t / 2, 7) % 3) + (u - 12);
            if (u >= 15 && u <= 16)
                len = std::min(len, 5);
        } else if (u == W - 1) {
            len -= 1;
            top += (t & 1);
        }
        for (int v = 0; v < len; ++v) {
            double b = 0.55 - slope * 0.55;
            if (v == 0)
                b += 0.15;
            if (v == len - 1)
                b -= 0.15;
            // Mid tones for most folds; the brightest tone only on the crest
            // facing the light, so the cloth ripples without flashing.
            int i = std::clamp(int(std::floor(b * 5)), 1, 3);
            if (slope < -0.45 && v > 0 && v < len - 1)
                i = 4;
            cloth.set(x0 + u, top + v, cl.ramp[std::size_t(i)]);
        }
        // Emblem: a five-pointed star near the hoist, riding the wave.
        static const char* star[7] = {"   #   ", "  ###  ", "#######", " ##### ", "  ###  ", " ## ## ", " #   # "};
        int su = u - 3;
        if (su >= 0 && su < 7 && !cl.torn)
            for (int v = 0; v < 7; ++v)
                if (star[v][su] == '#')
                    cloth.set(x0 + u, top + 2 + v, slope > 0.15 ? cl.emblemShade : cl.emblem);
        if (cl.torn && (u == 5 || u == 9))  // dirty streaks on the white flag
            for (int v = 3; v < 8; ++v)
                if (hash(u, v, 9) % 2)
                    cloth.set(x0 + u, top + v, cl.ramp[1]);
    }
    outline(cloth, edge);
    img.draw(cloth, 0, 0);
    // Ties holding the cloth to the pole.
    img.set(11, y0 + 1, cl.ramp[0]);
    img.set(11, y0 + H - 2, cl.ramp[0]);
    return img;
}

}  // namespace

Image drawFlag()
{
    const Cloth red{{rgb(90, 14, 14), rgb(150, 24, 22), rgb(200, 40, 32), rgb(232, 72, 52), rgb(250, 124, 96)},
                    rgb(252, 220, 80),
                    rgb(210, 160, 40),
                    false};
    const Cloth blue{{rgb(16, 28, 90), rgb(28, 52, 150), rgb(44, 80, 198), rgb(70, 118, 230), rgb(120, 164, 248)},
                     rgb(250, 250, 240),
                     rgb(190, 196, 210),
                     false};
    const Cloth white{{rgb(92, 92, 88), rgb(150, 148, 140), rgb(196, 194, 186), rgb(226, 224, 216), rgb(248, 248, 242)},
                      rgb(0, 0, 0),
                      rgb(0, 0, 0),
                      true};
    Image sheet(256, 96);
    const Cloth* cloths[3] = {&red, &blue, &white};
    for (int row = 0; row < 3; ++row)
        for (int t = 0; t < 8; ++t)
            sheet.draw(flagFrame(*cloths[row], t), t * 32, row * 32);
    return sheet;
}

}  // namespace art
