#pragma once
// stagetool diff, textconv, merge and git-setup: stage files under version
// control. diff and merge exit as diff(1) and git do (0 same or clean, 1
// different or conflicts, 2 trouble); textconv never fails, since git diff
// stops for the whole repository when it does.

#include "cli/ToolArgs.h"

#include <iosfwd>

// diff A B [--json] [--png DIR]: what changed from A to B, stage by stage
// (DiffText, DiffJson); either may be "-", standard input.
int RunDiff(const TArgs& args, std::ostream& out, std::ostream& err);

// textconv FILE: the file as stable text (StageFileTextView).
int RunTextconv(const TArgs& args, std::ostream& out, std::ostream& err);

// merge BASE OURS THEIRS [-o OUT] [--prefer ours|theirs] [--json FILE]
// [--path P]: the three-way merge into OUT (default OURS, as git's %A),
// written whole or not at all; a stage file's name is written under its
// lock. One input may be "-", standard input (OURS then needs -o).
// Conflicts are listed on `err`, naming P (git's %P) or OUT.
int RunMerge(const TArgs& args, std::ostream& out, std::ostream& err);

// git-setup [DIR]: the repository holding DIR (default the current
// folder) diffs and merges stage files with this program.
int RunGitSetup(const TArgs& args, std::ostream& out, std::ostream& err);
