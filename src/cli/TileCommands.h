#pragma once
// stagetool find, stats and replace: tiles and captions across the whole
// stage file. A tile is typed as TileNotation reads it ("24", "steel",
// "empty"); stages are chosen with --stages A..B (all by default).

#include "cli/ToolArgs.h"

#include <iosfwd>

// find TILE [--layer BG|FG] [--stages A..B] [--file F] [--json]: one line per
// stage and layer holding the tile: number, caption, layer, count and the
// first five cells ("3,4") in row order, tab-separated.
// find --caption TEXT [--stages A..B] [--file F] [--json]: the stages whose
// caption holds TEXT (UTF-8, any letter case): number and caption.
// Exits 1, printing nothing, when no stage holds it, as grep does.
int RunFind(const TArgs& args, std::ostream& out, std::ostream& err);

// stats [--file F] [--json]: each code's use per layer (code, layer, stages,
// cells), then the codes a brush paints that no stage uses.
int RunStats(const TArgs& args, std::ostream& out, std::ostream& err);

// replace FROM TO [--layer BG|FG] [--stages A..B] [--file F]: one
// transaction (ReplaceTiles); one line per changed stage: number, caption
// and its count of cells.
int RunReplace(const TArgs& args, std::ostream& out, std::ostream& err);
