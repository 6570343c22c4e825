#pragma once
// stagetool list, new and check: the stage file as a whole.

#include "cli/ToolArgs.h"

#include <cstdint>
#include <iosfwd>

// list [--file F]: one record per line: number, caption, enemies in all,
// MaxCount, BG_Bitmap, separated by tabs.
int RunList(const TArgs& args, std::ostream& out, std::ostream& err);

// new [--file F] [--count K]: a new file of K empty records; never over an
// existing one.
int RunNew(const TArgs& args, std::ostream& out, std::ostream& err);

// check [--file F] [--json]: the findings of every whole record; exit 1
// when any stage has an error (warnings and notes alone exit 0).
int RunCheck(const TArgs& args, std::ostream& out, std::ostream& err);
