#include "ArtOutputs.h"

#include "ArtPictures.h"
#include "ArtScene.h"
#include "stage/StageRecord.h"

#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

namespace art {

namespace {

// A keyed picture must not contain a colour that a 16-bit 5-6-5 screen would
// merge with its key colour, or that pixel would vanish.
void checkKeySafe(const Image& img, Color key, const char* what)
{
    auto rgb565 = [](Color c) { return (red(c) >> 3) << 11 | (green(c) >> 2) << 5 | blue(c) >> 3; };
    for (Color c : img.px)
        if (c != Clear && rgb565(c) == rgb565(key))
            throw std::runtime_error(std::string(what) + " uses a colour equal to the key on a 16-bit screen");
}

// Decode our own RLE8 output and compare, so a broken encoder fails the build.
void checkRle(const Indexed& img, const Bytes& rle)
{
    std::vector<std::uint8_t> out(img.idx.size(), 0);
    std::size_t p = 0;
    int x = 0, y = img.h - 1;
    bool done = false;
    while (!done) {
        if (p + 1 >= rle.size())
            throw std::runtime_error("RLE8 stream ends early");
        std::uint8_t a = rle[p++], b = rle[p++];
        if (a > 0) {
            for (int i = 0; i < a; ++i, ++x)
                if (x < img.w && y >= 0)
                    out[std::size_t(y) * img.w + x] = b;
        } else if (b == 0) {
            x = 0;
            --y;
        } else if (b == 1) {
            done = true;
        } else if (b == 2) {
            throw std::runtime_error("RLE8 stream has a delta");
        } else {
            for (int i = 0; i < b; ++i, ++x)
                if (x < img.w && y >= 0)
                    out[std::size_t(y) * img.w + x] = rle[p + std::size_t(i)];
            p += std::size_t(b + (b & 1));
        }
    }
    if (out != img.idx)
        throw std::runtime_error("RLE8 round trip differs");
}

// Every group laid out as the tools lay it (diagonal stripes, or random
// variants for the fill tool's blocks), to check that variants meet cleanly.
Image groupSheet(const Image& tiles)
{
    struct G {
        int first, n;
        bool random;
    };
    G groups[] = {{0, 4, false},  {4, 4, false},  {8, 4, false},  {12, 4, false}, {24, 4, false},
                  {28, 2, false}, {30, 2, false}, {32, 2, false}, {34, 2, false}, {40, 4, true},
                  {44, 4, true},  {48, 4, true},  {52, 4, true},  {56, 4, false}, {60, 4, false}};
    const int N = 5;
    Image sheet(5 * (N * 16 + 8), 3 * (N * 16 + 8), rgb(30, 24, 12));
    int gi = 0;
    for (auto& g : groups) {
        int ox = (gi % 5) * (N * 16 + 8) + 4, oy = (gi / 5) * (N * 16 + 8) + 4;
        sheet.fill(ox, oy, N * 16, N * 16, StageColor);
        for (int j = 0; j < N; ++j)
            for (int i = 0; i < N; ++i) {
                int code = g.first + (g.random ? int((hash(i, j, gi) % 3 + i + j) % 4) : (i + j) % g.n);
                sheet.draw(tiles.crop(16 * (code % 16), 16 * (code / 16), 16, 16), ox + i * 16, oy + j * 16);
            }
        ++gi;
    }
    return sheet;
}

// The 32-pixel window icon with its clear pixels see-through.
RgbaImage windowIcon()
{
    const Image icon = drawAppIcon();
    RgbaImage out;
    out.w = icon.w;
    out.h = icon.h;
    for (const Color c : icon.px) {
        const bool clear = c == Clear;
        out.px.insert(out.px.end(),
                      {static_cast<std::uint8_t>(clear ? 0 : red(c)), static_cast<std::uint8_t>(clear ? 0 : green(c)),
                       static_cast<std::uint8_t>(clear ? 0 : blue(c)), static_cast<std::uint8_t>(clear ? 0 : 255)});
    }
    return out;
}

// Each icon over a light and a dark ground, to look at its edges.
Image iconPreview(const RgbaImage& icon, int scale)
{
    const Color grounds[2] = {rgb(236, 236, 232), rgb(48, 48, 52)};
    Image sheet(2 * (icon.w + 8), icon.h + 8);
    for (int g = 0; g < 2; ++g) {
        sheet.fill(g * (icon.w + 8), 0, icon.w + 8, icon.h + 8, grounds[g]);
        const std::uint8_t* p = icon.px.data();
        for (int y = 0; y < icon.h; ++y)
            for (int x = 0; x < icon.w; ++x, p += 4)
                sheet.set(g * (icon.w + 8) + 4 + x, 4 + y, mix(grounds[g], rgb(p[0], p[1], p[2]), p[3] / 255.0));
    }
    return sheet.scaled(scale);
}

}  // namespace

Outputs artBlobs()
{
    Image tiles = drawTiles();
    Image flag = drawFlag();
    checkKeySafe(tiles, BackKey, "Back");
    checkKeySafe(flag, FlagKey, "Flag");

    Indexed back = exactPalette(tiles, BackKey, 255);
    Indexed fl = exactPalette(flag, FlagKey, 255);
    checkRle(fl, encodeRle8(fl));

    // The editor builds one 256-colour table from 16 fixed colours and the
    // colours both pictures use; keep room for all of them.
    std::set<Color> all = {rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
                           rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
                           rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
                           rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};
    for (Color c : tiles.px)
        all.insert(c == Clear ? BackKey : c);
    for (Color c : flag.px)
        all.insert(c == Clear ? FlagKey : c);
    if (all.size() > 256)
        throw std::runtime_error("tile set and flag together use " + std::to_string(all.size()) + " colours");

    Outputs blobs;
    blobs.push_back({"ArtBack", packedDib8(back, false)});
    blobs.push_back({"ArtFlag", packedDib8(fl, true)});
    blobs.push_back({"ArtSplash", bmpFile8(reduced(drawSplash(tiles, flag), 256, true))});
    blobs.push_back({"ArtToolButtons", bmpFile24(drawToolButtons(tiles), UiKey)});
    blobs.push_back({"ArtOptionImages", bmpFile24(drawOptionImages(), UiKey)});
    blobs.push_back({"ArtAppIcon", bmpFile24(drawAppIcon(), UiKey)});
    return blobs;
}

Outputs artData()
{
    const Outputs blobs = artBlobs();
    std::ostringstream s;
    s << "// Generated by artgen: the pictures drawn in assets/. Do not edit.\n"
         "#include \"art/ArtData.h\"\n\n";
    for (const OutputFile& b : blobs) {
        s << "static const unsigned char k" << b.name << "[" << b.data.size() << "] = {";
        for (std::size_t i = 0; i < b.data.size(); ++i) {
            if (i % 24 == 0)
                s << "\n";
            s << unsigned(b.data[i]) << ",";
        }
        s << "\n};\nconst TArtBlob " << b.name << "{k" << b.name << ", sizeof k" << b.name << "};\n\n";
    }
    const std::string text = s.str();
    return {{"ArtData.cpp", Bytes(text.begin(), text.end())}};
}

Outputs previews()
{
    Outputs out;
    Image tiles = drawTiles();
    Image flag = drawFlag();
    // Tiles on the stage colour with a gap between them, numbered.
    Image sheet(16 * 20, 4 * 26 + 4, rgb(20, 16, 8));
    for (int c = 0; c < 64; ++c) {
        int x = (c % 16) * 20 + 2, y = (c / 16) * 26 + 2;
        sheet.fill(x, y, 16, 16, StageColor);
        sheet.draw(tiles.crop(16 * (c % 16), 16 * (c / 16), 16, 16), x, y);
        text(sheet, x + (c < 10 ? 5 : 2), y + 17, std::to_string(c), rgb(200, 190, 160));
    }
    out.push_back({"tiles.png", png(sheet.scaled(4), 0)});
    out.push_back({"tiles_1x.png", png(tiles.flattened(StageColor), 0)});
    out.push_back({"groups.png", png(groupSheet(tiles).scaled(3), 0)});
    // The animated groups at four successive steps of the clock, laid in
    // diagonal stripes as the tools lay them.
    Image anim(4 * 104, 3 * 104, rgb(20, 16, 8));
    const int animFirst[3] = {4, 0, 60};
    for (int g = 0; g < 3; ++g)
        for (int t = 0; t < 4; ++t)
            for (int j = 0; j < 6; ++j)
                for (int i = 0; i < 6; ++i) {
                    int code = animFirst[g] + (i + j + t) % 4;
                    anim.draw(tiles.crop(16 * (code % 16), 16 * (code / 16), 16, 16), t * 104 + 4 + i * 16,
                              g * 104 + 4 + j * 16);
                }
    out.push_back({"anim.png", png(anim.scaled(2), 0)});
    Image fsheet(256, 96, StageColor);
    fsheet.draw(flag, 0, 0);
    out.push_back({"flag.png", png(fsheet.scaled(3), 0)});
    Image scene(FieldColumns * 16, FieldRows * 16, StageColor);
    drawScene(scene, previewScene(0), tiles, flag, 0, 0, 1);
    out.push_back({"scene.png", png(scene, 0)});
    out.push_back({"scene_x2.png", png(scene.scaled(2), 0)});
    out.push_back({"scene_zoom.png", png(scene.crop(0, 0, 320, 240).scaled(3), 0)});
    out.push_back({"scene_zoom2.png", png(scene.crop(180, 100, 320, 240).scaled(3), 0)});
    out.push_back({"scene_flag.png", png(scene.crop(240, 360, 160, 120).scaled(4), 0)});
    Image splash = drawSplash(tiles, flag);
    Indexed sp = reduced(splash, 256, true);
    Image spq(sp.w, sp.h);
    for (std::size_t i = 0; i < sp.idx.size(); ++i)
        spq.px[i] = sp.palette[sp.idx[i]];
    out.push_back({"splash.png", png(spq.scaled(2), 0)});
    out.push_back({"buttons.png", png(drawToolButtons(tiles).scaled(4), rgb(212, 208, 200))});
    out.push_back({"options.png", png(drawOptionImages().scaled(3), rgb(212, 208, 200))});
    out.push_back({"icon.png", png(drawAppIcon().scaled(6), rgb(212, 208, 200))});
    out.push_back({"icon_48.png", png(iconPreview(drawDesktopIcon(48), 4), 0)});
    out.push_back({"icon_256.png", png(iconPreview(drawDesktopIcon(256), 1), 0)});
    Image tanks(16 * 36, 36, rgb(212, 208, 200));
    for (int t = 0; t < EnemyTypeCount; ++t)
        tanks.draw(drawTank(t), t * 36 + 2, 2);
    out.push_back({"tanks.png", png(tanks.scaled(3), 0)});
    return out;
}

Outputs examples()
{
    Image tiles = drawTiles();
    return {{"sky.bmp", bmpFile24(drawSkyExample(), rgb(0, 0, 0))},
            {"desert.jpg", jpeg(drawDesertExample(), 85)},
            {"big.bmp", bmpFile8(reduced(drawBigExample(tiles), 256, true))}};
}

Outputs icons()
{
    return {{"32.png", pngRgba(windowIcon())},
            {"48.png", pngRgba(drawDesktopIcon(48))},
            {"256.png", pngRgba(drawDesktopIcon(256))}};
}

}  // namespace art
