#pragma once
// The whole set of stages as a Tiled world (JSON), which opens all the maps
// at once in Tiled's world view.

#include <string>
#include <utility>
#include <vector>

// stages.world: each (stage number, map file name) placed at column N mod 10,
// row N div 10, each map 640 x 480 pixels; names are relative to the world.
std::string WriteTiledWorld(const std::vector<std::pair<int, std::string>>& maps);
