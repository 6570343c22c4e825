#pragma once
// The recovery copy of one running editor: while the live stage is unsaved
// the record Save would write is kept in the user's state folder, so a
// crash, a kill or a power cut loses at most the last second's edits. The
// copy goes once the stage is saved or discarded and when the editor closes
// normally. Copies that editors no longer running left for the same stage
// file are found here too, to be restored or discarded.
//
// Everything is called from the user-interface thread; the copies reach the
// disk on TRecoveryWriter's helper thread. A copy that cannot be kept never
// stops editing: the failure is told once (TakeFailure) and the editor goes on.

#include "editor/RecoveryWriter.h"
#include "stage/StageRecord.h"
#include "storage/RecoveryFolder.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The folder under the user's state folder that holds the copies.
inline constexpr char RecoveryProgramName[] = "stage-editor";

class TRecovery {
public:
    using TClock = std::chrono::steady_clock;
    // Copies are written at most this often.
    static constexpr std::chrono::seconds Interval{1};

    // Copies of the stage file `stageFile` kept in `folder` (RecoveryFolder;
    // empty when there is none: every Keep then fails). Nothing is made on
    // disk before the first Keep.
    TRecovery(std::filesystem::path folder, const std::filesystem::path& stageFile);
    // Waits for the copy being written; the copy stays unless Close ran.
    ~TRecovery();
    TRecovery(const TRecovery&) = delete;
    TRecovery& operator=(const TRecovery&) = delete;

    // The live stage is unsaved and Save would write `record` as stage
    // `number`; it was last loaded from or saved to stage `origin` (-1:
    // none), where the stage file then held `base` (null: not known; an
    // empty optional: no record). The copy is written when it differs from
    // the last one, at most once per Interval (`now` on the steady clock),
    // but at once when the number differs from the last copy's.
    void Keep(const StageRecord& record, int number, int origin, const std::optional<StageRecord>* base,
              TClock::time_point now);
    // The live stage is saved or was discarded: the copy goes.
    void Drop();
    // The editor closes normally: the copy and the lock go.
    void Close();
    // Waits until the copies asked for so far are on the disk (or failed).
    void Finish();
    // The first failure not told yet, in words; empty when there is none or
    // one was told already.
    std::string TakeFailure();

    // Copies that ended editors left for this stage file, newest first.
    std::vector<TLeftCopy> LeftCopies() const;
    // `left` was restored as `record` at `number`: this editor's own copy of
    // it, with the origin and base `left` holds, is written at once and, once
    // it is on the disk, `left` goes.
    void Adopt(TLeftCopy& left, const StageRecord& record, int number, TClock::time_point now);
    // `left` was turned down: it goes.
    static void Discard(TLeftCopy& left);

    const std::filesystem::path& Folder() const { return FFolder; }
    const std::string& StageFile() const { return FStageFile; }
    std::filesystem::path CopyFile() const { return RecoveryCopyFile(FFolder, FId); }

private:
    // This editor's lock, made on the first need; false (the failure kept
    // to be told) when it cannot be made.
    bool Claim();
    void Write(TRecoveryCopy copy, TClock::time_point now);

    std::filesystem::path FFolder;
    std::string FStageFile;
    std::string FId;
    std::unique_ptr<TRecoveryLock> FLock;
    std::optional<TClock::time_point> FLastTry;
    TRecoveryCopy FWritten;   // the last copy asked for (its Time aside)
    int FWrittenNumber = -1;  // -1: none written, or the last write failed
    bool FHasCopy = false;
    std::string FFailure;
    bool FFailureTold = false;
    TRecoveryWriter FWriter;  // last: its thread ends first
};
