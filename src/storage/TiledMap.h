#pragma once
// One stage as a Tiled map (TMX), both ways. Written: an orthogonal 40 x 30
// map of 16 x 16 tiles on the tileset "tiles.tsx" (tile code c is tile c, an
// empty cell no tile), the layers Picture (an image layer: the stage's
// background as the display draws it, a picture of its own beside the map),
// BG, Shadows (locked), FG and Flag (an image layer, locked), so that Tiled
// draws the stage as the editor does; the background colour; and the
// settings as map properties. Read: maps as Tiled writes them after a
// designer's edits; the properties give the settings, the layers BG and FG
// the cells, and everything else is for looking only.

#include "stage/StageRecord.h"
#include "storage/TextMap.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view TiledTilesetFile = "tiles.tsx";
inline constexpr std::string_view TiledTilesetName = "Back";
inline constexpr std::string_view TiledTileImageFile = "tiles.png";
inline constexpr std::string_view TiledFlagImageFile = "flag.png";
inline constexpr std::string_view TiledWorldFile = "stages.world";

// "07-background.png": stage 7's background beside its map.
std::string TiledBackgroundFile(int number);
// Whether `name` (a file name, or a path ending in one) is such a background.
bool IsTiledBackgroundFile(std::string_view name);

// A map file is refused past this size: an exported map is about 9 KB, and
// in Tiled's XML layer format, the largest, about 200 KB. (No tileset or
// world file is ever read.)
constexpr std::size_t MaxTiledMapBytes = std::size_t{1} << 20;

// What a map shows of one stage.
struct TTiledStage {
    // Settings and cells. A cell code without a tile of its layer (outside
    // -1..63, or a shadow pattern 16..23) is written as an empty cell.
    StageRecord Stage;
    // The shadow layer as the editor computes it, column-major like the cells.
    std::int16_t Shadows[FieldColumns][FieldRows];
    // The background picture's file, beside the map (TiledBackgroundFile);
    // empty: the map has no Picture layer.
    std::string Background;
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
// named "tiles.tsx". Refused: more than MaxTiledMapBytes, a map that is not
// orthogonal 40 x 30 of 16 x 16 tiles, an infinite one, a tile from another
// tileset or beyond the 64 tiles, a shadow pattern in BG or FG, a flipped or
// rotated tile, a missing BG or FG tile layer (or two of either), layer data
// that is damaged or not of the map's size, a property whose text holds an
// entity the map does not resolve. Any bytes at all are read or refused, in
// time bound by their size and at most 8 times their size in memory, so a
// fuzz target is ReadTiledMap({data, size}).
TTiledMapRead ReadTiledMap(std::string_view bytes);
