#pragma once
// The stage set operations on the stage file itself. Each is one
// transaction: under the file's exclusive lock the records are read, the
// operation worked out on them and the whole new file put in place with the
// safe write (owner, group and mode kept), so that a failure or a kill
// leaves the file as it was and no save by another program lands in between.
//
// Five names go with one operation, from the designer's word to what it did:
//   edit     (TStageSetEdit, StageSetEdits.h) the operation as a function of
//            the records: "move 03 to 07", given whatever the file holds;
//   result   (TStageSetResult) what an edit makes of the records it was
//            given: the new list, where each record came from, or a refusal;
//   step     (TStageSetStep, StageSetStep.h) what changed between the file
//            before and after, enough to undo it and to check that nobody
//            changed those records since (the history keeps steps);
//   outcome  (TStageSetOutcome, below) what the transaction reports: the
//            step, or why nothing changed;
//   run      the caller that gives an edit its name and questions and shows
//            the outcome (stagetool's RunStageSetEdit, the Stages window's
//            TStageSetActions::Run, the editor's TDocument::ChangeStageSet).

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
