#pragma once
// The pictures stagetool tiled-export writes beside the maps, as PNG files:
// the tiles, the flag and each stage's background. The backgrounds are drawn
// by the editor's own renderer, so Tiled shows the stage as the editor does.

#include "stage/StageRecord.h"

#include <filesystem>
#include <string>
#include <vector>

// tiles.png: the tile image "Back", 256 x 64, keyed by ArtBackKey; empty
// when it cannot be encoded.
std::string TileImagePng();

// flag.png: the flag where a loaded stage shows it (its first pattern, at
// FlagPixelX, FlagPixelY) on 640 x 480 of ArtFlagKey, so that the map's
// Flag layer needs no offset, which would make Tiled draw the map larger;
// empty when it cannot be encoded.
std::string FlagImagePng();

struct TTiledBackgrounds {
    // Each background once, as a PNG of 640 x 480: stages whose settings
    // draw alike (picture, colour, tiling) share one.
    std::vector<std::string> Pngs;
    std::vector<int> OfStage;  // for each record, its background in Pngs
    // The pictures that could not be read (the colour shows instead), one
    // line each: "name: why (stages 03, 07)".
    std::vector<std::string> Problems;
};

// Each record's background as the display paints it under the layers
// (TStageRenderer::RenderBackground), its pictures from "Map" inside
// `pictureFolder`. Raises std::runtime_error when a PNG cannot be encoded.
TTiledBackgrounds DrawTiledBackgrounds(const std::vector<StageRecord>& records,
                                       const std::filesystem::path& pictureFolder);
