#include "ArtScene.h"

#include "ArtPictures.h"
#include "stage/FieldAreas.h"
#include "stage/StageRules.h"
#include "stage/TileCodes.h"

namespace art {

namespace {

using L = SceneLayer;

// A scene's two layers, written as the editor's layers are: a BG code 4..7
// and an FG code 24..63 never share a cell, the later write wins.
struct Layers {
    int cols, rows;
    std::vector<int> bg, fg;

    Layers(int c, int r) : cols(c), rows(r), bg(std::size_t(c * r), EmptyCode), fg(std::size_t(c * r), EmptyCode) {}
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < cols && y < rows; }
    std::size_t at(int x, int y) const { return std::size_t(y * cols + x); }
    int fgAt(int x, int y) const { return inside(x, y) ? fg[at(x, y)] : EmptyCode; }
    void put(SceneLayer layer, int x, int y, int code)
    {
        int* const cell[] = {&bg[at(x, y)], &fg[at(x, y)]};
        auto of = [&cell](TStageLayer l) -> int& { return *cell[l == TStageLayer::FG]; };
        const TStageLayer written = layer == L::BG ? TStageLayer::BG : TStageLayer::FG;
        of(written) = code;
        KeepApart(written, of, [&of](TStageLayer emptied) { of(emptied) = EmptyCode; });
    }
};

}  // namespace

void drawScene(Image& img, const Scene& scene, const Image& tiles, const Image& flag, int x0, int y0, int scale)
{
    Layers layers(scene.cols, scene.rows);
    for (const Patch& p : scene.patches)
        for (int j = 0; j < p.h; ++j)
            for (int i = 0; i < p.w; ++i) {
                if (!layers.inside(p.x + i, p.y + j))
                    continue;
                const int code = p.scattered ? p.first + int((hash(i, j, p.first) % 3 + i + j) % 4)
                                             : p.first + (i + j + p.phase) % p.variants;
                layers.put(p.layer, p.x + i, p.y + j, code);
            }

    const int cell = 16 * scale;
    auto tile = [&](int code, int x, int y) {
        if (code >= 0 && code < 64)
            img.draw(tiles.crop(16 * (code % 16), 16 * (code / 16), 16, 16).scaled(scale), x0 + x * cell,
                     y0 + y * cell);
    };
    for (int y = 0; y < scene.rows; ++y)
        for (int x = 0; x < scene.cols; ++x)
            tile(layers.bg[layers.at(x, y)], x, y);
    for (int y = 0; y < scene.rows; ++y)
        for (int x = 0; x < scene.cols; ++x)
            tile(ShadowAt([&layers](int cx, int cy) { return layers.fgAt(cx, cy); }, x, y), x, y);
    for (int y = 0; y < scene.rows; ++y)
        for (int x = 0; x < scene.cols; ++x)
            tile(layers.fg[layers.at(x, y)], x, y);
    img.draw(flag.crop(scene.flagPattern * 32, 0, 32, 32).scaled(scale), x0 + scene.flagX * scale,
             y0 + scene.flagY * scale);
}

Scene previewScene(int flagPattern)
{
    const int wallRight = FlagWall.Left + FlagWall.Width - 1;
    // clang-format off
    return Scene{FieldColumns, FieldRows, {
        // Ground and water; the ground around the flag cleared.
        {L::BG, 0, 0, 12, 8, 0, 4},
        {L::BG, 2, 8, 6, 4, 0, 4},
        {L::BG, 12, 3, 6, 6, 4, 4},
        {L::BG, 14, 9, 4, 3, 4, 4},
        {L::BG, 22, 0, 18, 6, 0, 4},
        {L::BG, 30, 10, 8, 10, 0, 4},
        {L::BG, 0, 18, 10, 8, 0, 4},
        {L::BG, FlagGround.Left, FlagGround.Top, FlagGround.Width, FlagGround.Height, EmptyCode},
        // Trees and bushes.
        {L::FG, 1, 1, 4, 4, 8, 4},
        {L::FG, 7, 1, 2, 2, 12, 4},
        {L::FG, 24, 1, 6, 3, 8, 4},
        {L::FG, 32, 12, 4, 2, 12, 4},
        {L::FG, 1, 20, 4, 2, 12, 4},
        // Walls and blocks.
        {L::FG, 4, 7, 6, 1, 24, 4},
        {L::FG, 9, 7, 1, 4, 24, 4},
        {L::FG, 20, 8, 4, 2, 40, 4, 0, true},
        {L::FG, 20, 11, 4, 2, 44, 4, 0, true},
        {L::FG, 26, 8, 3, 3, 48, 4, 0, true},
        {L::FG, 26, 13, 3, 2, 52, 4, 0, true},
        {L::FG, 30, 7, 4, 2, 56, 4},
        {L::FG, 36, 3, 2, 2, 60, 4},
        {L::FG, 12, 14, 5, 1, 28, 2},
        {L::FG, 12, 16, 5, 1, 30, 2},
        {L::FG, 12, 19, 5, 1, 32, 2},
        {L::FG, 12, 22, 6, 1, 34, 2},
        {L::FG, 20, 16, 1, 1, 36},
        {L::FG, 22, 16, 1, 1, 37},
        {L::FG, 24, 16, 1, 1, 38},
        {L::FG, 26, 16, 1, 1, 39},
        {L::FG, 34, 18, 1, 1, 38},
        {L::FG, 35, 18, 1, 1, 38},
        {L::FG, 28, 20, 1, 1, 60},
        // The wall around the flag's square.
        {L::FG, FlagWall.Left, FlagWall.Top, FlagWall.Width, 1, 24, 4},
        {L::FG, FlagWall.Left, FlagSquare.Top, 1, FlagSquare.Height, 25, 2},
        {L::FG, wallRight, FlagSquare.Top, 1, FlagSquare.Height, 24, 2},
    }, FlagPixelX, FlagPixelY, flagPattern};
    // clang-format on
}

Scene splashScene()
{
    // clang-format off
    return Scene{14, 10, {
        // Ground, and a river down columns 1..2.
        {L::BG, 0, 0, 14, 10, 0, 4},
        {L::BG, 1, 0, 2, 10, 4, 4, 1},
        // Trees, blocks, bushes.
        {L::FG, 3, 0, 1, 1, 8}, {L::FG, 4, 0, 1, 1, 9}, {L::FG, 3, 1, 1, 1, 9}, {L::FG, 4, 1, 1, 1, 10},
        {L::FG, 5, 0, 1, 1, 10}, {L::FG, 5, 1, 1, 1, 11}, {L::FG, 0, 0, 1, 1, 12}, {L::FG, 0, 1, 1, 1, 13},
        {L::FG, 10, 3, 1, 1, 40}, {L::FG, 11, 3, 1, 1, 41}, {L::FG, 11, 4, 1, 1, 42}, {L::FG, 8, 3, 1, 1, 44},
        {L::FG, 9, 3, 1, 1, 45}, {L::FG, 0, 7, 1, 1, 12}, {L::FG, 0, 8, 1, 1, 13}, {L::FG, 0, 9, 1, 1, 14},
        {L::FG, 11, 0, 1, 1, 8}, {L::FG, 12, 0, 1, 1, 9}, {L::FG, 11, 1, 1, 1, 9}, {L::FG, 12, 1, 1, 1, 10},
        {L::FG, 3, 8, 1, 1, 30}, {L::FG, 4, 8, 1, 1, 31}, {L::FG, 8, 8, 1, 1, 38},
        // The base: a brick wall around the flag at the bottom centre.
        {L::FG, 5, 7, 4, 1, 24, 4, 1},
        {L::FG, 5, 8, 1, 2, 25, 2},
        {L::FG, 8, 8, 1, 1, 27},
        {L::FG, 8, 9, 1, 1, 24},
    }, 6 * 16, 8 * 16, 3};
    // clang-format on
}

}  // namespace art
