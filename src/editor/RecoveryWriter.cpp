#include "editor/RecoveryWriter.h"

#include "storage/SafeWrite.h"

#include <system_error>
#include <utility>

TRecoveryWriter::TRecoveryWriter() : FThread([this] { Run(); }) {}

TRecoveryWriter::~TRecoveryWriter()
{
    {
        const std::lock_guard lock(FMutex);
        FEnd = true;
    }
    FWake.notify_one();
    FThread.join();
}

void TRecoveryWriter::Write(const std::filesystem::path& file, std::string bytes)
{
    {
        const std::lock_guard lock(FMutex);
        if (!FJobs.empty() && !FJobs.back().Remove && FJobs.back().File == file)
            FJobs.back().Bytes = std::move(bytes);
        else
            FJobs.push_back(TJob{file, std::move(bytes), false});
    }
    FWake.notify_one();
}

void TRecoveryWriter::Remove(const std::filesystem::path& file)
{
    {
        const std::lock_guard lock(FMutex);
        FJobs.push_back(TJob{file, {}, true});
    }
    FWake.notify_one();
}

void TRecoveryWriter::Finish()
{
    std::unique_lock lock(FMutex);
    FIdle.wait(lock, [this] { return FJobs.empty() && !FBusy; });
}

void TRecoveryWriter::SetFailureCallback(std::function<void()> told)
{
    const std::lock_guard lock(FMutex);
    FFailureTold = std::move(told);
}

std::string TRecoveryWriter::TakeFailure()
{
    const std::lock_guard lock(FMutex);
    return std::exchange(FFailure, {});
}

void TRecoveryWriter::Run()
{
    std::unique_lock lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FEnd || !FJobs.empty(); });
        if (FJobs.empty())
            return;  // the end, with nothing left to do
        TJob job = std::move(FJobs.front());
        FJobs.pop_front();
        FBusy = true;
        lock.unlock();
        std::string failure;
        if (job.Remove) {
            std::error_code error;
            std::filesystem::remove(job.File, error);
            if (error)
                failure = "Cannot remove the recovery copy \"" + job.File.string() + "\": " + error.message();
        } else {
            std::error_code error;
            std::filesystem::create_directories(job.File.parent_path(), error);
            const TWriteResult written = SafeWriteFile(job.File, job.Bytes);
            if (!written)
                failure =
                    "Cannot keep a recovery copy in \"" + job.File.parent_path().string() + "\": " + written.Error;
        }
        lock.lock();
        FBusy = false;
        const bool failed = !failure.empty();
        if (failed && FFailure.empty())
            FFailure = std::move(failure);
        if (failed && FFailureTold) {
            const std::function<void()> told = FFailureTold;
            lock.unlock();
            told();
            lock.lock();
        }
        if (FJobs.empty())
            FIdle.notify_all();
    }
}
