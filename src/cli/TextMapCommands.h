#pragma once
// stagetool export, import, unpack and pack: stages as text maps.

#include "cli/ToolArgs.h"

#include <iosfwd>

// export N [--file F] [-o OUT]: the text map of stage N, as the editor's
// "Save T..." writes it once it has loaded the stage.
int RunExport(const TArgs& args, std::ostream& out, std::ostream& err);

// import IN [--file F] [--stage N]: a text map into its stage (or N) of F,
// saved as the editor saves; F is made when missing.
int RunImport(const TArgs& args, std::ostream& out, std::ostream& err);

// unpack [--file F] DIR: every whole record N as DIR/NN.txt, each exactly
// what `export N` writes. A file of more than 100 records is refused whole:
// records past 99 have no two-digit name and would be lost. What a text map
// cannot carry is warned about per stage. Every file is tried; a failure is
// reported at the end.
int RunUnpack(const TArgs& args, std::ostream& out, std::ostream& err);

// pack DIR [--file F]: F from DIR/NN.txt, each read as `import` reads it, at
// its file's number; empty records where a number has no file. F is
// replaced only when every file was read whole (a map cut short is refused,
// though import would take it); on any error nothing is written.
int RunPack(const TArgs& args, std::ostream& out, std::ostream& err);
