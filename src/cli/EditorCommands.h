#pragma once
// stagetool random, render and sheet: the commands that make or draw a stage
// as the editor does, through a windowless editor.

#include "cli/ToolArgs.h"

#include <iosfwd>

// random N [--seed S] [-o OUT]: the text map of a random stage N, made as
// the editor makes one (seeded from the clock without --seed).
int RunRandom(const TArgs& args, std::ostream& out, std::ostream& err);

// render N [--file F] -o OUT.png: stage N as the editor shows it.
int RunRender(const TArgs& args, std::ostream& out, std::ostream& err);

// sheet [--file F] -o OUT.png [--columns C] [--scale 1|2|4|8]: every record
// of F in one picture.
int RunSheet(const TArgs& args, std::ostream& out, std::ostream& err);
