#pragma once
// Where tiles are used across a set of stages: the cells of a layer that
// hold a tile, each code's use over all the stages, and the captions that
// hold a text. stagetool's find and stats, and the windows' Find, share
// these; all of them read records only.

#include "stage/StageRecord.h"
#include "stage/StageRules.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

// The layer the palette paints `code` into (BG below FirstFGCode); none for
// a code no brush paints: the empty code, the shadows, the border, anything
// a damaged record holds.
std::optional<TStageLayer> PaintedLayer(int code);

const char* LayerName(TStageLayer layer);

struct TCellPos {
    int Column = 0;
    int Row = 0;
};

// The cells of one layer that hold a tile: how many, and the first few in
// row order (row by row, left to right).
constexpr int ListedCells = 5;
struct TTileCells {
    int Count = 0;
    std::array<TCellPos, ListedCells> First{};  // the first min(Count, ListedCells) are set
};

// The cells of `layer` in `record` holding one of `codes`.
TTileCells FindTileCells(const StageRecord& record, TStageLayer layer, const std::vector<int>& codes);

// One code's use in one layer over a set of stages.
struct TTileUse {
    int Code = 0;
    TStageLayer Layer = TStageLayer::BG;
    int Stages = 0;  // how many stages hold it there
    int Cells = 0;   // in how many cells, in all
};

struct TTileStats {
    // Every code some stage holds (the empty code aside), by code and BG
    // before FG.
    std::vector<TTileUse> Used;
    // The codes a brush paints that no stage holds in either layer, ascending.
    std::vector<int> Unused;
};

TTileStats CountTileUse(const std::vector<StageRecord>& records);

// Whether `caption` holds `latin1`, ignoring the case of letters (Latin-1's
// too: "É" matches "é"); its line break mark counts as a space.
bool CaptionHolds(const TShortString& caption, std::string_view latin1);
