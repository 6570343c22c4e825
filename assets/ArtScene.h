#pragma once
// Stages drawn as the editor draws them: the BG tiles, the shadows the FG
// casts, the FG tiles, then the flag. A scene is data: patches of tile codes
// laid on its layers in order, each write keeping the stage's rule that
// water-like ground and solid objects never share a cell.
#include "ArtCanvas.h"

#include <vector>

namespace art {

enum class SceneLayer { BG, FG };

// A rectangle of cells (clipped to the scene). Cell (i, j) of it gets
// first + (i + j + phase) % variants: the tools' diagonal stripes; or, when
// scattered, one of three of its group's four variants as the fill tool
// scatters codes 40..55.
struct Patch {
    SceneLayer layer;
    int x, y, w, h;
    int first;
    int variants = 1;
    int phase = 0;
    bool scattered = false;
};

struct Scene {
    int cols = 0, rows = 0;
    std::vector<Patch> patches;
    // The flag's top-left pixel in the scene and its pattern (0..7).
    int flagX = 0, flagY = 0, flagPattern = 0;
};

// Draws the scene onto img with its top-left corner at (x0, y0), each tile
// pixel as scale x scale pixels.
void drawScene(Image& img, const Scene& scene, const Image& tiles, const Image& flag, int x0, int y0, int scale);

// A whole stage of 40 x 30 cells using every tile group, with the wall
// around the flag as random stages build it.
Scene previewScene(int flagPattern);
// The splash's battlefield: 14 x 10 cells, a river and the flag's wall.
Scene splashScene();

}  // namespace art
