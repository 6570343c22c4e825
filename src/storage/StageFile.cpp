#include "storage/StageFile.h"

#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageSetEdits.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

// The file is opened with POSIX calls rather than stdio: stdio can neither
// open without blocking (a FIFO named like the stage file would stall every
// reader) nor lock, and it splits a record into several writes.
namespace {

constexpr std::int64_t RecordBytes = StageRecordSize;

// How long a load or save waits for another program's save or load of the
// same file before it fails as for a locked file. Each holds its lock for one
// record's reads or writes, so only a stopped process keeps it this long.
constexpr std::chrono::milliseconds LockWait{10000};

// How often a call follows a file that was replaced while it waited for the
// lock before it gives up.
constexpr int ReplacedAttempts = 100;
constexpr const char* ReplacedAgain = "it was replaced again and again while this waited for it";
constexpr const char* NoSuchRecord = "there is no record of that number";

// An open descriptor that is closed when it goes.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : FFd(fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }
    // Closes now; false when the close reported an error (a write that did
    // not reach the file after all).
    bool Close()
    {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int FFd;
};

// Opens `file` without creating it and without waiting, as a regular file
// only: a FIFO, a socket, a device or a folder of that name gives -1, and
// `why` (when given) says why in words for the user.
int OpenRegular(const std::filesystem::path& file, int access, std::string* why = nullptr)
{
    const int fd = ::open(file.c_str(), access | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (why)
            *why = std::generic_category().message(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (why)
            *why = S_ISDIR(status.st_mode) ? "it is a directory" : "it is not a regular file";
        ::close(fd);
        return -1;
    }
    // O_NONBLOCK means nothing more to a regular file's reads and writes.
    return fd;
}

// Takes the advisory lock `operation` (LOCK_SH to read, LOCK_EX to write) on
// the open file; it goes with the descriptor's close. False when another
// process holds a conflicting lock for longer than LockWait. A file system
// without locks is used unlocked, as it always was.
bool Lock(int fd, int operation)
{
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds step{1};
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL;
        if (waited >= LockWait)
            return false;
        std::this_thread::sleep_for(step);
        waited += step;
        step = std::min(step * 2, std::chrono::milliseconds{50});
    }
}

// True when the name `file` (links followed) still leads to the open file.
bool NameLeadsToFile(const std::filesystem::path& file, int fd)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(file.c_str(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

// OpenRegular, then the lock `operation`, on the file the name leads to once
// the lock is held: a replace may have put a new file in place of the one
// opened while this waited, and a lock on the old one guards nothing. -1 on
// failure, with `why` as OpenRegular's.
int OpenLocked(const std::filesystem::path& file, int access, int operation, std::string* why = nullptr)
{
    for (int attempt = 0; attempt < ReplacedAttempts; ++attempt) {
        const int fd = OpenRegular(file, access, why);
        if (fd < 0)
            return -1;
        if (!Lock(fd, operation)) {
            ::close(fd);
            if (why)
                *why = "another program has held its lock for " + std::to_string(LockWait.count() / 1000) + " seconds";
            return -1;
        }
        if (NameLeadsToFile(file, fd))
            return fd;
        ::close(fd);
    }
    if (why)
        *why = ReplacedAgain;
    return -1;
}

// Byte offset of a record; a negative number has none.
std::optional<off_t> RecordOffset(std::int64_t number)
{
    if (number < 0)
        return std::nullopt;
    return static_cast<off_t>(number * RecordBytes);
}

std::optional<std::int64_t> WholeRecords(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return static_cast<std::int64_t>(status.st_size) / RecordBytes;
}

std::string SystemReason()
{
    return std::generic_category().message(errno);
}

// One positioned write of the whole record, so no other reader or writer can
// see part of it; only what a short write left is written again. Empty, or
// why it failed.
std::string WriteAt(int fd, std::int64_t number, const StageRecord& record)
{
    const auto offset = RecordOffset(number);
    if (!offset)
        return NoSuchRecord;
    const auto* bytes = reinterpret_cast<const char*>(&record);
    std::size_t done = 0;
    while (done < sizeof record) {
        const ssize_t written = ::pwrite(fd, bytes + done, sizeof record - done, *offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return SystemReason();
        if (written == 0)
            return "the file takes no more bytes";
        done += static_cast<std::size_t>(written);
    }
    return {};
}

// Empty, or why the record could not be read: a read error, or the end of
// the file inside the record or before it.
std::string ReadAt(int fd, std::int64_t number, StageRecord& record)
{
    const auto offset = RecordOffset(number);
    if (!offset)
        return NoSuchRecord;
    auto* bytes = reinterpret_cast<char*>(&record);
    std::size_t done = 0;
    while (done < sizeof record) {
        const ssize_t got = ::pread(fd, bytes + done, sizeof record - done, *offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return SystemReason();
        if (got == 0) {
            const std::int64_t whole = WholeRecords(fd).value_or(0);
            return "it holds " + std::to_string(whole) + (whole == 1 ? " whole record" : " whole records");
        }
        done += static_cast<std::size_t>(got);
    }
    return {};
}

std::string PaddedRecordBytes(std::int64_t paddingCount, const StageRecord& padding, const StageRecord* last)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>((paddingCount + 1) * RecordBytes));
    for (std::int64_t i = 0; i < paddingCount; ++i)
        bytes.append(reinterpret_cast<const char*>(&padding), sizeof padding);
    if (last)
        bytes.append(reinterpret_cast<const char*>(last), sizeof *last);
    return bytes;
}

std::optional<TStageFilePiece> PieceOf(std::int64_t wholeRecords, std::int64_t trailingBytes)
{
    if (trailingBytes <= 0)
        return std::nullopt;
    return TStageFilePiece{wholeRecords, trailingBytes};
}

}  // namespace

std::string StageFilePieceText(const std::filesystem::path& file, const TStageFilePiece& piece)
{
    return file.filename().string() + " ends inside stage " + StageNumberText(piece.Stage) + " ("
           + std::to_string(piece.Bytes) + " of " + std::to_string(RecordBytes) + " bytes).";
}

TRecordResult ReadStageRecord(const std::filesystem::path& file, int number, StageRecord& record)
{
    if (number < 0)
        return {NoSuchRecord};
    std::string why;
    TDescriptor fd(OpenLocked(file, O_RDONLY, LOCK_SH, &why));
    if (!fd)
        return {why};
    StageRecord buffer;
    if (std::string failed = ReadAt(fd.Get(), number, buffer); !failed.empty())
        return {failed};
    record = buffer;
    return {};
}

TRecordResult WriteStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                               const StageRecord& padding, TDamagedFile damaged)
{
    if (number < 0)
        return {NoSuchRecord};
    for (int attempt = 0; attempt < ReplacedAttempts; ++attempt) {
        std::string why;
        TDescriptor fd(OpenLocked(file, O_RDWR, LOCK_EX, &why));
        if (!fd)
            return {why};
        // Measured under the lock, so a save that grew the file meanwhile counts.
        struct stat status {};
        if (::fstat(fd.Get(), &status) != 0)
            return {SystemReason()};
        const std::int64_t count = static_cast<std::int64_t>(status.st_size) / RecordBytes;
        if (const std::optional<TStageFilePiece> piece = PieceOf(count, status.st_size % RecordBytes);
            piece && damaged == TDamagedFile::Refuse)
            return {"it ends inside stage " + StageNumberText(piece->Stage), piece};
        for (std::int64_t n = count; n < number; ++n)
            if (std::string failed = WriteAt(fd.Get(), n, padding); !failed.empty())
                return {failed};
        if (std::string failed = WriteAt(fd.Get(), number, record); !failed.empty())
            return {failed};
        // Only what reached the disk is saved: a Save that says so lets the
        // editor drop the recovery copy.
        if (::fdatasync(fd.Get()) != 0)
            return {SystemReason()};
        // A program that takes no lock (a copy, a checkout) may have put a
        // new file in place during the write: the record goes into that too.
        if (NameLeadsToFile(file, fd.Get()))
            return fd.Close() ? TRecordResult{} : TRecordResult{SystemReason()};
    }
    return {ReplacedAgain};
}

namespace {

// Records 0.. of the locked file `fd`: all of them, or with `firstOnly` at
// most `maxRecords` of them; without it more than `maxRecords` is TooMany.
TStageRecords ReadRecordsFrom(int fd, std::int64_t maxRecords, bool firstOnly)
{
    TStageRecords result;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.Error = SystemReason();
        return result;
    }
    result.WholeRecords = static_cast<std::int64_t>(status.st_size) / RecordBytes;
    result.TrailingBytes = static_cast<std::int64_t>(status.st_size) % RecordBytes;
    if (result.WholeRecords > maxRecords && !firstOnly) {
        result.TooMany = true;
        result.Read = true;
        return result;
    }
    result.Records.resize(static_cast<std::size_t>(std::min(result.WholeRecords, maxRecords)));
    for (std::size_t n = 0; n < result.Records.size(); ++n)
        if (std::string failed = ReadAt(fd, static_cast<std::int64_t>(n), result.Records[n]); !failed.empty()) {
            result.Records.clear();
            result.Error = failed;
            return result;
        }
    result.Read = true;
    return result;
}

TStageRecords ReadRecordsLocked(const std::filesystem::path& file, std::int64_t maxRecords, bool firstOnly)
{
    TStageRecords records;
    TDescriptor fd(OpenLocked(file, O_RDONLY, LOCK_SH, &records.Error));
    return fd ? ReadRecordsFrom(fd.Get(), maxRecords, firstOnly) : records;
}

}  // namespace

TStageRecords ReadStageRecords(const std::filesystem::path& file, std::int64_t maxRecords)
{
    return ReadRecordsLocked(file, maxRecords, false);
}

TStageRecords ReadFirstStageRecords(const std::filesystem::path& file, std::int64_t count)
{
    return ReadRecordsLocked(file, std::max<std::int64_t>(count, 0), true);
}

TStageRecords StageRecordsOfBytes(std::string_view bytes, std::int64_t maxRecords, bool firstOnly)
{
    TStageRecords records;
    records.Read = true;
    records.WholeRecords = static_cast<std::int64_t>(bytes.size()) / RecordBytes;
    records.TrailingBytes = static_cast<std::int64_t>(bytes.size()) % RecordBytes;
    records.TooMany = static_cast<std::int64_t>(bytes.size()) > maxRecords * RecordBytes;
    if (records.TooMany && !firstOnly)
        return records;
    records.Records.resize(static_cast<std::size_t>(std::min(records.WholeRecords, maxRecords)));
    if (!records.Records.empty())
        std::memcpy(static_cast<void*>(records.Records.data()), bytes.data(),
                    records.Records.size() * sizeof(StageRecord));
    return records;
}

std::optional<std::int64_t> StageRecordCount(const std::filesystem::path& file)
{
    TDescriptor fd(OpenLocked(file, O_RDONLY, LOCK_SH));
    if (!fd)
        return std::nullopt;
    return WholeRecords(fd.Get());
}

std::optional<TStageFilePiece> StageFilePieceOf(const TStageRecords& records)
{
    return records.Read ? PieceOf(records.WholeRecords, records.TrailingBytes) : std::nullopt;
}

std::optional<TStageFilePiece> FindStageFilePiece(const std::filesystem::path& file)
{
    TDescriptor fd(OpenLocked(file, O_RDONLY, LOCK_SH));
    struct stat status {};
    if (!fd || ::fstat(fd.Get(), &status) != 0)
        return std::nullopt;
    return PieceOf(status.st_size / RecordBytes, status.st_size % RecordBytes);
}

TWriteResult CreateStageFile(const std::filesystem::path& file, int count, const StageRecord& record)
{
    if (count < 0)
        return TWriteResult{"a negative record count", false};
    return SafeWriteFile(file, PaddedRecordBytes(count, record, nullptr), TExistingTarget::Refuse);
}

TWriteResult CreateStageFileWith(const std::filesystem::path& file, int number, const StageRecord& record,
                                 const StageRecord& padding)
{
    if (number < 0)
        return TWriteResult{"a negative stage number", false};
    return SafeWriteFile(file, PaddedRecordBytes(number, padding, &record), TExistingTarget::Refuse);
}

TRecordSave SaveStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                            TNewStageFile create, TDamagedFile damaged)
{
    StageRecord empty;
    EmptyStage(empty);
    if (create == TNewStageFile::CreateNew || (create == TNewStageFile::Create && StageFileMissing(file))) {
        const TWriteResult created = CreateStageFileWith(file, number, record, empty);
        if (created)
            return {};
        TRecordSave failed;
        failed.Error = created.Error;
        failed.Exists = created.AlreadyExists;
        if (!created.AlreadyExists || create == TNewStageFile::CreateNew)
            return failed;
    }
    TRecordSave saved;
    static_cast<TRecordResult&>(saved) = WriteStageRecord(file, number, record, empty, damaged);
    return saved;
}

TWriteResult ReplaceStageFile(const std::filesystem::path& file, std::int64_t readRecords, const TStageFileBuild& build)
{
    for (int attempt = 0; attempt < ReplacedAttempts; ++attempt) {
        std::string why;
        // Read-only is enough to lock; the replace goes through the folder.
        TDescriptor fd(OpenLocked(file, O_RDONLY, LOCK_EX, &why));
        if (fd) {
            const TStageRecords current = ReadRecordsFrom(fd.Get(), std::max<std::int64_t>(readRecords, 0), true);
            if (!current.Read)
                return TWriteResult{"it cannot be read: " + current.Error, false};
            const TStageFileContent content = build(current);
            if (!content.Error.empty() || content.Keep)
                return TWriteResult{content.Error, false};
            // Put in place of the file locked, while it is still locked; the
            // lock goes with the descriptor after.
            return SafeReplaceFile(file, content.Bytes, fd.Get());
        }
        struct stat status {};
        if (::lstat(file.c_str(), &status) == 0 || errno != ENOENT)
            return TWriteResult{S_ISLNK(status.st_mode) && why == std::generic_category().message(ENOENT)
                                    ? "it is a link to a missing file"
                                    : why,
                                false};
        // No file yet, so nothing to lock: the new one is made only where the
        // name is still free.
        const TStageFileContent content = build(TStageRecords{});
        if (!content.Error.empty() || content.Keep)
            return TWriteResult{content.Error, false};
        const TWriteResult created = SafeWriteFile(file, content.Bytes, TExistingTarget::Refuse);
        if (!created.AlreadyExists)
            return created;
    }
    return TWriteResult{ReplacedAgain, false};
}
