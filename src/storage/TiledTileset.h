#pragma once
// The stage's tiles as a Tiled tileset (TSX), which every map uses, with the
// frame loop's tile animation.

#include <string>
#include <vector>

// One frame of a Tiled tile animation.
struct TTiledFrame {
    int TileId = 0;
    int Duration = 0;  // milliseconds

    bool operator==(const TTiledFrame&) const = default;
};

// Tile `code`'s animation: one period (AnimationPeriodTicks) of the editor's
// tick schedule for the layer the palette paints it into, or none for a tile
// that stands still. Frame k lasts one tick per tick the code stays, so every
// duration is exact, and all tiles count from the same tick (one where each
// shows its own code), so they turn together as in the editor. What a tile's
// animation cannot say: that the editor turns BG cells holding codes 8 and
// above too, and FG cells holding 0..7 never.
std::vector<TTiledFrame> TiledAnimation(int code);

// tiles.tsx: 64 tiles of 16 x 16 named "Back", cut from "tiles.png"
// (256 x 64, 16 to a row, keyed colour red 248, green 0, blue 248), with
// the animated tiles' animations.
std::string WriteTiledTileset();
