#pragma once
// One stage as a Tiled map (TMX), both ways. Written: an orthogonal 40 x 30
// map of 16 x 16 tiles on the tileset "tiles.tsx" (tile code c is tile c, an
// empty cell no tile), the layers Picture (an image layer, when the stage
// names a picture), BG, Shadows (locked) and FG, the background colour, and
// the settings as map properties. Read: maps as Tiled writes them after a
// designer's edits; the properties give the settings, the layers BG and FG
// the cells, and everything else is for looking only.

#include "stage/StageRecord.h"
#include "storage/TextMap.h"

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view TiledTilesetFile = "tiles.tsx";
inline constexpr std::string_view TiledTilesetName = "Back";
inline constexpr std::string_view TiledTileImageFile = "tiles.png";
inline constexpr std::string_view TiledWorldFile = "stages.world";

// What a map shows of one stage.
struct TTiledStage {
    // Settings and cells. A cell code outside -1..63 has no tile and is
    // written as an empty cell.
    StageRecord Stage;
    // The shadow layer as the editor computes it, column-major like the cells.
    std::int16_t Shadows[FieldColumns][FieldRows];
    // The path from the map to the background picture ('/' between folders);
    // empty: the stage names none and the map has no image layer.
    std::string Picture;
    // Whether the editor shows that picture (it is found and of a kind the
    // display loads); the image layer is hidden otherwise.
    bool PictureShown = false;
};

std::string WriteTiledMap(const TTiledStage& stage);

// A map as read, or why it is refused (naming the layer, column and row
// where one is at fault; the caller adds the file's name).
struct TTiledMapRead {
    // The settings and cells as read, into the shape a text map reads into:
    // settings without a property hold the empty stage's, cells without a
    // tile are -1. StageNumber is left 0: the file's name gives it.
    TTextMap Map;
    std::string Error;
    // One line each for the user: missing and unknown properties, layers and
    // objects ignored, a colour or picture that disagrees with the properties.
    std::vector<std::string> Notes;

    explicit operator bool() const { return Error.empty(); }
};

// Reads a TMX file's bytes. Never reads another file: a tileset is the
// stage's own when it is embedded under the name "Back" or refers to a file
// named "tiles.tsx". Refused: a map that is not orthogonal 40 x 30 of
// 16 x 16 tiles, an infinite one, a tile from another tileset or beyond the
// 64 tiles, a flipped or rotated tile, a missing BG or FG tile layer (or two
// of either), layer data that is damaged or not of the map's size. Any bytes
// at all are read or refused, in time and memory bound by their size, so a
// fuzz target is ReadTiledMap({data, size}).
TTiledMapRead ReadTiledMap(std::string_view bytes);
