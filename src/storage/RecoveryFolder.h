#pragma once
// Where recovery copies live, and which of them an editor that is no longer
// running left behind. Each running editor keeps its copy under a name of its
// own ("<id>.recovery") and holds the lock of "<id>.lock" (an advisory flock)
// for as long as it runs: the system lets go of it when the process ends,
// however it ends, so a copy whose lock is free was left by a dead editor.
// Names starting with a dot are temporary files and never copies. Only
// regular files are opened here, and never waited for: a FIFO or device of
// a copy's or a lock's name is passed over.

#include "storage/RecoveryCopy.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// $XDG_STATE_HOME/<program> when that variable holds an absolute path, else
// $HOME/.local/state/<program>; empty when neither gives an absolute folder.
std::filesystem::path RecoveryFolder(const std::string& program);

// The name by which copies know a stage file: absolute, links resolved as
// far as they exist.
std::string RecoveryStageFileName(const std::filesystem::path& stageFile);

// The copy and lock file names of the editor `id` in `folder`.
std::filesystem::path RecoveryCopyFile(const std::filesystem::path& folder, const std::string& id);
std::filesystem::path RecoveryLockFile(const std::filesystem::path& folder, const std::string& id);

// A lock file whose lock this process holds while the object lives.
class TRecoveryLock {
public:
    // Makes `file` (and its folder) and takes its lock; the file appears
    // under its name already locked, so no other editor ever finds it free.
    // None, with the reason in `error`, when it cannot be made.
    static std::unique_ptr<TRecoveryLock> Create(const std::filesystem::path& file, std::string& error);
    // Takes the lock of an existing lock file, or (with `makeMissing`) of a
    // new one when it is gone; none when another process holds it, when
    // there is no such file to take or when it is no regular file.
    static std::unique_ptr<TRecoveryLock> Take(const std::filesystem::path& file, bool makeMissing = true);

    ~TRecoveryLock();  // lets go; the file stays
    TRecoveryLock(const TRecoveryLock&) = delete;
    TRecoveryLock& operator=(const TRecoveryLock&) = delete;

    const std::filesystem::path& File() const { return FFile; }
    // Removes the file while the lock is still held.
    void Remove();

private:
    TRecoveryLock(std::filesystem::path file, int fd) : FFile(std::move(file)), FFd(fd) {}
    std::filesystem::path FFile;
    int FFd;
};

// A copy left by an editor that ended, with its lock held by this process.
struct TLeftCopy {
    std::filesystem::path File;
    TRecoveryCopy Copy;
    std::unique_ptr<TRecoveryLock> Lock;
};

// The copies in `folder` for `stageFile` (as RecoveryStageFileName names it)
// whose editor no longer runs, newest first. Each comes with its lock held,
// so an editor starting meanwhile does not offer it too. Files that are not
// copies, cannot be read or belong to another stage file are left alone
// (and no lock is taken for them); the lock files of ended editors that
// left no copy are removed, as are the temporary copy and lock files that
// killed editors left.
std::vector<TLeftCopy> FindLeftCopies(const std::filesystem::path& folder, const std::string& stageFile);
