#pragma once
// Writes and removes recovery copies on a helper thread of its own, so that
// no frame ever waits for a copy to reach the disk. The thread touches
// nothing but the files it is given and the jobs handed to it here; the
// editor stays single-threaded otherwise. Jobs run in the order given.

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TRecoveryWriter {
public:
    TRecoveryWriter();
    // Runs the jobs still queued, then ends the thread.
    ~TRecoveryWriter();
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    // Writes `bytes` as the whole of `file` through the safe write. A write of
    // the same file still waiting is replaced: only the newest matters.
    void Write(const std::filesystem::path& file, std::string bytes);
    // Removes `file` (nothing when it is gone already).
    void Remove(const std::filesystem::path& file);
    // Waits until every job given so far has run.
    void Finish();

    // The first failure since the last call, in words with the file's name;
    // empty when there was none.
    std::string TakeFailure();
    // `told` runs on the writer's thread after each job that failed. Set it
    // before the first job.
    void SetFailureCallback(std::function<void()> told);

private:
    struct TJob {
        std::filesystem::path File;
        std::string Bytes;
        bool Remove = false;
    };
    void Run();

    std::mutex FMutex;
    std::condition_variable FWake;  // a job was queued, or the end is asked for
    std::condition_variable FIdle;  // the queue ran empty
    std::deque<TJob> FJobs;
    bool FBusy = false;  // the thread is running a job taken from FJobs
    bool FEnd = false;
    std::string FFailure;
    std::function<void()> FFailureTold;
    std::thread FThread;  // last: starts once everything above exists
};
