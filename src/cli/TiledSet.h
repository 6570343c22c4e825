#pragma once
// Stages as Tiled maps, one file a stage, beside the tileset and the world:
// the pieces of stagetool tiled-export and tiled-import.

#include "stage/StageRecord.h"
#include "storage/TiledMap.h"

#include <string>
#include <vector>

// The map of `record` as stage `number`, as the editor shows it: the stage
// and the shadow layer the editor holds once it has loaded the record, over
// the background picture exported beside it (TiledBackgroundFile).
TTiledStage TiledStageOf(const StageRecord& record, int number);

// What of `record` would not come back byte for byte through `map`, its
// Tiled map as written from TiledStageOf: what no map carries (StoredLosses),
// cell codes outside -1..63 and shadow patterns in BG or FG, control bytes
// in the strings; one phrase each, empty when it comes back.
std::vector<std::string> TiledLosses(const StageRecord& record, const std::string& map);

// The record a map as read becomes as stage `number`: the same build as a
// text map's.
StageRecord TiledMapRecord(TTextMap map, int number);
