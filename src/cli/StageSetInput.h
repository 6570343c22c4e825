#pragma once
// Stage files as diff, merge and the text view read them: a file, or "-"
// for standard input (so `git show REV:Stage.Dat | stagetool diff - ...`
// works), at most MaxStageFileRecords records.

#include "storage/StageFile.h"

#include <string>
#include <vector>

// The records of `name`, or of standard input for "-", read as
// ReadStageRecords reads a file (a file is found ignoring letter case, and
// only a regular file is read). Standard input is the one input that may
// be a pipe: it is read up to one byte past the limit, so an endless one
// ends as TooMany. With `firstOnly` the first records up to the limit are
// read even when more follow (ReadFirstStageRecords; standard input then
// says TooMany and holds them).
TStageRecords ReadStageSetInput(const std::string& name, bool firstOnly = false);

// The records of `name`, or a TToolError naming it when it cannot be read,
// holds a piece that is no whole record, or holds too many.
std::vector<StageRecord> WholeStageSet(const std::string& name);
