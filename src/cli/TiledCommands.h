#pragma once
// stagetool tiled-export and tiled-import: the stage set in Tiled's formats.

#include "cli/ToolArgs.h"

#include <cstddef>
#include <iosfwd>

// tiled-export [--file F] DIR: tiles.png, tiles.tsx, flag.png, NN.tmx and
// NN-background.png for every whole record and stages.world, each written
// whole, none through a link that leads out of DIR (CheckFolderTargets);
// what a map cannot carry is named per stage on `err`, as unpack names its
// losses.
int RunTiledExport(const TArgs& args, std::ostream& out, std::ostream& err);

// tiled-import [--file F] [--stage N] DIR|FILE.tmx ...: one map file writes
// its record under the stage file's lock, as import does; folders and
// several files are read whole first and then go into the stage file with
// one safe replace, so a map that cannot be read leaves the file untouched.
int RunTiledImport(const TArgs& args, std::ostream& out, std::ostream& err);
// As many folders and files as a shell passes.
constexpr std::size_t MaxTiledImportInputs = 10000;
