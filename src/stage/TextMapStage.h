#pragma once
// A stage built from what a text map holds, as the editor's import builds
// it: the settings a text map carries go onto the live stage, then its cells
// through the cell rules. The command line builds onto the empty stage;
// every format that reads into a text map's shape (Tiled's maps) imports
// through this too.

#include "stage/StageRecord.h"

#include <cstdint>
#include <string>

// What a text map holds, as read.
struct TTextMap {
    // The number in the header, read as the text map's numbers are read (any
    // 32 bits).
    std::int32_t StageNumber = 0;
    // The settings and cells as the reading rules make them: a missing key
    // reads as an empty value; BG_Color shorter than 7 characters is the
    // default colour; a tiling value above 0 is 1, else 0; the 16 enemy
    // counts are read in turn up to each stop; each cell is its pair read as
    // hex, minus one, and a pair missing from a short row is -2. Slots 16..31
    // of EnemyCount and the reserved bytes are zero.
    StageRecord Stage;
    // The first line of a whole text map that this one lacks, in the order
    // they are written: a row ("BG00", "FG00", ... "FG29") or "[End]". Empty
    // for a whole map. A map that lacks one was cut short or never finished.
    std::string FirstMissingLine;
};

// Copies into `stage` the settings a text map carries, from `read`: the
// caption, both picture names, the colour, the tiling bytes, EnemyCount
// slots 0..15 and MaxCount. The slots 16..31 and the cells stay as they are.
void TakeTextMapSettings(StageRecord& stage, const StageRecord& read);

// The record the editor holds after importing `map` onto the stage `base`:
// `base` as the editor holds it once applied (AppliedStage), the map's
// settings taken, then row by row first every BG cell of the row and then
// every FG cell written through the cell rules, so a cell given both
// exclusive codes keeps the FG code. What a map does not carry (EnemyCount
// slots 16..31) stays the base's.
StageRecord ImportedStage(const TTextMap& map, const StageRecord& base);

// The stage an import goes to for a header's number: cut to a signed 16-bit
// number, then kept within 0..MaxStageNumber, as the stage number control
// keeps its position.
int ImportedStageNumber(std::int32_t headerNumber);
