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

// Whether two copies hold the same for a restore: all but when they were taken.
bool SameContent(const TRecoveryCopy& a, const TRecoveryCopy& b)
{
    const auto sameBase = [](const std::optional<StageRecord>& x, const std::optional<StageRecord>& y) {
        return x.has_value() == y.has_value() && (!x || RecordsEqual(*x, *y));
    };
    return RecordsEqual(a.Record, b.Record) && a.StageNumber == b.StageNumber && a.Origin == b.Origin
           && a.Base.has_value() == b.Base.has_value() && (!a.Base || sameBase(*a.Base, *b.Base));
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

void TRecovery::Write(TRecoveryCopy copy, TClock::time_point now)
{
    FLastTry = now;
    if (!Claim())
        return;
    copy.StageFile = FStageFile;
    copy.Time = SecondsSince1970();
    FWriter.Write(CopyFile(), EncodeRecoveryCopy(copy));
    FWrittenNumber = copy.StageNumber;
    FWritten = std::move(copy);
    FHasCopy = true;
}

void TRecovery::Keep(const StageRecord& record, int number, int origin, const std::optional<StageRecord>* base,
                     TClock::time_point now)
{
    TRecoveryCopy copy;
    copy.Record = record;
    copy.StageNumber = number;
    copy.Origin = origin;
    if (base)
        copy.Base = *base;
    if (FHasCopy && number == FWrittenNumber && SameContent(copy, FWritten))
        return;
    // A copy that names another number is wrong at once (the stage file's
    // records were put in another order): it is written again without waiting.
    const bool renumbered = FHasCopy && FWrittenNumber >= 0 && number != FWrittenNumber;
    if (FLastTry && now - *FLastTry < Interval && !renumbered)
        return;
    Write(std::move(copy), now);
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
    TRecoveryCopy copy = left.Copy;
    copy.Record = record;
    copy.StageNumber = number;
    Write(std::move(copy), now);
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
