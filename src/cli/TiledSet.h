#pragma once
// Stages as Tiled maps, one file a stage, beside the tileset and the world:
// the pieces of stagetool tiled-export and tiled-import.

#include "stage/StageRecord.h"
#include "storage/TiledMap.h"

#include <filesystem>
#include <string>
#include <vector>

// The map of `record` as the editor shows it: the stage and the shadow layer
// the editor holds once it has loaded the record. The
// picture is looked up as the editor looks it up, in "Map" of
// `stageFolder`, and named by its path from `mapFolder`.
TTiledStage TiledStageOf(const StageRecord& record, const std::filesystem::path& stageFolder,
                         const std::filesystem::path& mapFolder);

// What of `record` would not come back byte for byte through `map`, its
// Tiled map as written from TiledStageOf: what no map carries (StoredLosses),
// cell codes outside -1..63, control bytes in the strings; one phrase each,
// empty when it comes back.
std::vector<std::string> TiledLosses(const StageRecord& record, const std::string& map);

// The record a map as read becomes as stage `number`: the same build as a
// text map's.
StageRecord TiledMapRecord(TTextMap map, int number);

// tiles.png: the tile image "Back", 256 x 64, as PNG; empty when it cannot be
// encoded.
std::string TileImagePng();
