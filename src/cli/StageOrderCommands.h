#pragma once
// stagetool move, copy, swap, insert, delete and clear: the stages of the
// stage file put in order, one transaction each (as the Stages window does
// them, without its undo). Each prints one line per stage it changed:
// number, caption and where the stage came from ("moved from 03", "copy of
// 01", "empty"), tab-separated. Failures raise TToolError and change nothing.

#include "cli/ToolArgs.h"
#include "storage/StageSetEdits.h"

#include <functional>
#include <iosfwd>
#include <string>

// move A B [--file F]: stage A goes to B; the stages between close the gap.
int RunMove(const TArgs& args, std::ostream& out, std::ostream& err);
// copy A B [--file F]: B becomes a copy of A.
int RunCopy(const TArgs& args, std::ostream& out, std::ostream& err);
// swap A B [--file F]
int RunSwap(const TArgs& args, std::ostream& out, std::ostream& err);
// insert N [--file F]: an empty stage at N, the stages from N on one down.
int RunInsert(const TArgs& args, std::ostream& out, std::ostream& err);
// delete N [--file F]: stage N removed, the stages after it one up, an empty
// stage at the end.
int RunDelete(const TArgs& args, std::ostream& out, std::ostream& err);
// clear N ... [--file F]: each stage named becomes an empty stage.
int RunClear(const TArgs& args, std::ostream& out, std::ostream& err);

// Where the new record at a number came from, for its line.
using TNewNote = std::function<std::string(int number)>;

// Does `edit` to the stage file (--file) as one transaction and prints a
// line per stage it changed: number, caption, and where its record came
// from ("moved from 03"), or for a new record `note`(number) ("empty"
// without one). Raises TToolError, nothing changed, when the edit is
// refused or the file cannot be replaced.
int RunStageSetEdit(const char* command, const TArgs& args, const TStageSetEdit& edit, std::ostream& out,
                    std::ostream& err, const TNewNote& note = {});
