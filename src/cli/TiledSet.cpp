#include "cli/TiledSet.h"

#include "cli/TextMapSet.h"
#include "cli/ToolArgs.h"
#include "stage/StageRules.h"
#include "storage/TiledProperties.h"

#include <cstring>

TTiledStage TiledStageOf(const StageRecord& record, int number)
{
    TTiledStage stage;
    stage.Stage = AppliedStage(record);
    ComputeShadows(stage.Stage, stage.Shadows);
    stage.Background = TiledBackgroundFile(number);
    return stage;
}

std::vector<std::string> TiledLosses(const StageRecord& record, const std::string& map)
{
    std::vector<std::string> losses = StoredLosses(record);
    for (const auto& [name, text] : StoredStrings(record))
        if (HasControlBytes(*text))
            losses.push_back(std::string(name) + " holds control bytes, which a map cannot hold and leaves out");
    if (const int outside = CellsOutside(record, EmptyCode, 63); outside > 0)
        losses.push_back(Counted(outside, "cell") + Holds(outside)
                         + " codes outside -1..63, which have no tile and are written as empty cells");
    // Every BG and FG cell, less those outside the shadow patterns.
    if (const int shadows = 2 * FieldColumns * FieldRows - CellsOutside(record, 16, 23); shadows > 0)
        losses.push_back(Counted(shadows, "cell") + Holds(shadows)
                         + " shadow patterns 16..23, which a map's BG and FG cannot hold; they are written as empty "
                           "cells");

    // Whatever else the map cannot carry shows in the round trip itself.
    const TTiledMapRead back = ReadTiledMap(map);
    const bool same = back && [&] {
        const StageRecord read = TiledMapRecord(back.Map, 0);
        return std::memcmp(&read, &record, sizeof record) == 0;
    }();
    if (!same && losses.empty())
        losses.push_back("its map reads back differently");
    return losses;
}

StageRecord TiledMapRecord(TTextMap map, int number)
{
    map.StageNumber = number;
    return BuildImportedStage(map).Record;
}
