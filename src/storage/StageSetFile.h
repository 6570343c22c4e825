#pragma once
// The stage set operations on the stage file itself. Each is one
// transaction: under the file's exclusive lock the records are read, the
// operation worked out on them and the whole new file put in place with the
// safe write (owner, group and mode kept), so that a failure or a kill
// leaves the file as it was and no save by another program lands in between.

#include "storage/StageSetEdits.h"
#include "storage/StageSetStep.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TStageSetOutcome {
    std::string Error;   // why nothing changed, in words for the user
    TStageSetStep Step;  // what changed (nothing, when the operation changed no byte)
    // A trailing piece of the file that was no whole record; a change drops it.
    std::int64_t TrailingBytes = 0;
    // The designer said no to one of the operation's questions: nothing
    // changed, and there is nothing to report.
    bool Cancelled = false;
    explicit operator bool() const { return Error.empty() && !Cancelled; }
};

// The bytes of a stage file holding `records`, one after another.
std::string StageFileBytes(const std::vector<StageRecord>& records);

// What `edit` would do to the file as it is now, read under a shared lock;
// nothing is written. A missing file holds no records when `mayCreate`, else
// it is an error.
TStageSetOutcome PreviewStageSet(const std::filesystem::path& file, const TStageSetEdit& edit, bool mayCreate = false);

// Does `edit` to the file as one transaction. An edit that changes no byte
// writes nothing. A missing file is made when `mayCreate` (never over one that
// appears meanwhile), else it is an error.
TStageSetOutcome ChangeStageSet(const std::filesystem::path& file, const TStageSetEdit& edit, bool mayCreate = false);
