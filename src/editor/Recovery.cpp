#include "editor/Recovery.h"

#include <unistd.h>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

namespace {

// This editor's name among the copies: the process and a random part, so a
// later process given the same id by the system still has a name of its own.
std::string NewId()
{
    std::random_device device;
    char id[48];
    std::snprintf(id, sizeof id, "%ld-%08x", static_cast<long>(::getpid()), static_cast<unsigned>(device()));
    return id;
}

std::int64_t SecondsSince1970()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

TRecovery::TRecovery(std::filesystem::path folder, const std::filesystem::path& stageFile)
    : FFolder(std::move(folder)), FStageFile(RecoveryStageFileName(stageFile)), FId(NewId())
{
}

TRecovery::~TRecovery() = default;

bool TRecovery::Claim()
{
    if (FLock)
        return true;
    if (FFolder.empty()) {
        FFailure = "Cannot keep recovery copies: neither XDG_STATE_HOME nor HOME names a folder";
        return false;
    }
    std::string error;
    FLock = TRecoveryLock::Create(RecoveryLockFile(FFolder, FId), error);
    if (!FLock && FFailure.empty())
        FFailure = "Cannot keep a recovery copy in \"" + FFolder.string() + "\": " + error;
    return static_cast<bool>(FLock);
}

void TRecovery::Write(const StageRecord& record, int number, TClock::time_point now)
{
    FLastTry = now;
    if (!Claim())
        return;
    TRecoveryCopy copy;
    copy.Record = record;
    copy.StageFile = FStageFile;
    copy.StageNumber = number;
    copy.Time = SecondsSince1970();
    FWriter.Write(CopyFile(), EncodeRecoveryCopy(copy));
    FWritten = record;
    FWrittenNumber = number;
    FHasCopy = true;
}

bool TRecovery::Keep(const StageRecord& record, int number, TClock::time_point now)
{
    if (FHasCopy && number == FWrittenNumber && RecordsEqual(record, FWritten))
        return true;
    // A copy that names another number is wrong at once (the stage file's
    // records were put in another order): it is written again without waiting.
    const bool renumbered = FHasCopy && FWrittenNumber >= 0 && number != FWrittenNumber;
    if (FLastTry && now - *FLastTry < Interval && !renumbered)
        return false;
    Write(record, number, now);
    return true;
}

void TRecovery::Drop()
{
    if (!FHasCopy)
        return;
    FWriter.Remove(CopyFile());
    FHasCopy = false;
}

void TRecovery::Close()
{
    Drop();
    FWriter.Finish();
    if (FLock) {
        FLock->Remove();
        FLock.reset();
    }
}

void TRecovery::Finish()
{
    FWriter.Finish();
}

std::string TRecovery::TakeFailure()
{
    if (std::string written = FWriter.TakeFailure(); !written.empty()) {
        FWrittenNumber = -1;  // written again at the next Keep
        if (FFailure.empty())
            FFailure = std::move(written);
    }
    if (FFailure.empty() || FFailureTold)
        return {};
    FFailureTold = true;
    return FFailure;
}

std::vector<TLeftCopy> TRecovery::LeftCopies() const
{
    if (FFolder.empty())
        return {};
    return FindLeftCopies(FFolder, FStageFile);
}

void TRecovery::Adopt(TLeftCopy& left, const StageRecord& record, int number, TClock::time_point now)
{
    Write(record, number, now);
    FWriter.Finish();
    // The left copy goes only once this editor's own copy is safe; when that
    // could not be written the left one stays for the next start.
    std::string failure = FWriter.TakeFailure();
    if (!FHasCopy || !failure.empty()) {
        FWrittenNumber = -1;
        if (FFailure.empty())
            FFailure = std::move(failure);
        return;
    }
    Discard(left);
}

void TRecovery::Discard(TLeftCopy& left)
{
    std::error_code error;
    std::filesystem::remove(left.File, error);
    if (left.Lock) {
        left.Lock->Remove();
        left.Lock.reset();
    }
}
