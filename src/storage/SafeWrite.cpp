#include "storage/SafeWrite.h"

#include "storage/FileAccess.h"
#include "storage/TemporaryFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// As the kernel's own limit on links followed in one path.
constexpr int MaxLinks = 40;

TWriteResult Failure(std::string text)
{
    return TWriteResult{std::move(text), false};
}

TWriteResult FailureCode(int code)
{
    return Failure(std::generic_category().message(code));
}

TWriteResult Refused()
{
    return TWriteResult{"it already exists", true};
}

// Writes every byte, going on after an interrupted or short write, and
// waiting on a descriptor that another program made non-blocking. Returns 0
// or the error code.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                pollfd ready{fd, POLLOUT, 0};
                ::poll(&ready, 1, -1);
                continue;
            }
            return errno;
        }
        if (written == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Makes a rename or link in `folder` durable. The new name is in place
// already, so a failure here changes nothing the caller could act on.
void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The descriptor `path` names when it is an entry of this process's own
// descriptor folder (/proc/PID/fd, which /dev/fd and /proc/self/fd lead to).
std::optional<int> OwnDescriptor(const fs::path& path)
{
    const std::string name = path.filename().string();
    if (name.empty() || name.size() > 9
        || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::error_code error;
    const std::string folder = fs::canonical(path.has_parent_path() ? path.parent_path() : ".", error).string();
    if (error)
        return std::nullopt;
    const std::string own = "/proc/" + std::to_string(::getpid());
    const bool thread = folder.rfind(own + "/task/", 0) == 0 && folder.ends_with("/fd");
    if (folder != own + "/fd" && !thread)
        return std::nullopt;
    return std::stoi(name);
}

// What a target name leads to, links followed one at a time so that a link
// to an open descriptor is seen as such.
struct TTarget {
    fs::path Path;        // the entry at the end of the links (or the name of a missing file)
    bool Exists = false;  // Status is Path's
    struct stat Status {};
    std::optional<int> Descriptor;  // the name is one of this process's open descriptors
    std::string Error;              // the name leads nowhere usable
};

TTarget Resolve(const fs::path& target)
{
    TTarget found;
    found.Path = target;
    for (int links = 0; links <= MaxLinks; ++links) {
        found.Descriptor = OwnDescriptor(found.Path);
        if (found.Descriptor)
            return found;
        if (::lstat(found.Path.c_str(), &found.Status) != 0) {
            if (errno != ENOENT)
                found.Error = std::generic_category().message(errno);
            else if (links > 0)
                found.Error = "it is a link to a missing file";
            return found;
        }
        if (!S_ISLNK(found.Status.st_mode)) {
            found.Exists = true;
            return found;
        }
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(found.Path.c_str(), buffer, sizeof buffer);
        if (size < 0 || static_cast<std::size_t>(size) >= sizeof buffer) {
            found.Error = size < 0 ? std::generic_category().message(errno) : "its link is too long";
            return found;
        }
        const fs::path link(std::string(buffer, static_cast<std::size_t>(size)));
        found.Path = link.is_absolute() ? link : found.Path.parent_path() / link;
    }
    found.Error = std::generic_category().message(ELOOP);
    return found;
}

// An open descriptor of the process, written where it stands. What the
// program printed through stdio goes first, so the order holds.
TWriteResult WriteDescriptor(int fd, std::string_view bytes)
{
    std::fflush(nullptr);
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return FailureCode(errno);
    const int code = WriteAll(fd, bytes);
    return code ? FailureCode(code) : TWriteResult{};
}

// A character device or a pipe, written in place: there is nothing to
// replace and nothing to tear.
TWriteResult WriteStream(const fs::path& target, bool fifo, std::string_view bytes)
{
    // Without O_NONBLOCK the open of a FIFO waits for a reader, maybe forever.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fifo && errno == ENXIO ? Failure("no process reads from it") : FailureCode(errno);
    struct stat status {};
    int code = 0;
    if (::fstat(fd, &status) != 0)
        code = errno;
    else if (!S_ISCHR(status.st_mode) && !S_ISFIFO(status.st_mode)) {
        ::close(fd);
        return Failure("it was replaced while being written");
    }
    // Once open, the writes wait for the reader as any pipe's writes do.
    const int flags = code ? 0 : ::fcntl(fd, F_GETFL);
    if (!code && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        code = errno;
    if (!code)
        code = WriteAll(fd, bytes);
    const int closed = ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    code = code ? code : closed;
    return code ? FailureCode(code) : TWriteResult{};
}

constexpr const char* ReplacedMeanwhile = "another program replaced it meanwhile";

// Puts the finished temporary file in the place of `target`, which must
// still be the file open as `expected`. The two names are exchanged, so the
// file pushed out can be checked: one put there meanwhile by a program that
// takes no lock goes back, and nothing changes. Where the file system cannot
// exchange names, the target is checked just before a plain rename. On
// success the old file is gone; otherwise the temporary name holds the new
// file, for the caller to remove, unless `theirs` says that it holds the
// other program's file (it could not be put back), which must stay.
TWriteResult PublishOver(const fs::path& temporary, const fs::path& target, int expected, bool& theirs)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return FailureCode(errno);
        if (!NameIsFile(expected, target))
            return Failure(ReplacedMeanwhile);
        return ::rename(temporary.c_str(), target.c_str()) == 0 ? TWriteResult{} : FailureCode(errno);
    }
    if (NameIsFile(expected, temporary)) {
        ::unlink(temporary.c_str());
        return {};
    }
    theirs = ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0;
    if (theirs)
        return Failure(std::string(ReplacedMeanwhile) + ", and its file could not be put back: it is "
                       + temporary.string() + " now");
    return Failure(ReplacedMeanwhile);
}

// Moves the finished temporary file to `target` (a link leaves the temporary
// name for the caller to remove).
TWriteResult Publish(const fs::path& temporary, const fs::path& target, TExistingTarget existing)
{
    if (existing == TExistingTarget::Replace)
        return ::rename(temporary.c_str(), target.c_str()) == 0 ? TWriteResult{} : FailureCode(errno);
    // A hard link is made only when the name is free, so no file that appears
    // meanwhile is ever replaced.
    if (::link(temporary.c_str(), target.c_str()) == 0)
        return {};
    const int code = errno;
    const bool noHardLinks = code == EPERM || code == ENOTSUP || code == EOPNOTSUPP || code == ENOSYS;
    if (code == EEXIST)
        return Refused();
    if (!noHardLinks)
        return FailureCode(code);
    // A file system without hard links: checked, then renamed; only a file
    // made in between could be replaced.
    struct stat status {};
    if (::lstat(target.c_str(), &status) == 0)
        return Refused();
    return Publish(temporary, target, TExistingTarget::Replace);
}

// Why no temporary file could be made beside `target`: a folder that takes
// no new files is named, since the target itself may well be writable.
TWriteResult CannotCreateBeside(const fs::path& target, int code)
{
    if (code != EACCES && code != EPERM && code != EROFS)
        return FailureCode(code);
    std::error_code error;
    const fs::path folder = fs::absolute(target, error).parent_path();
    return Failure("its folder " + (error ? target.parent_path() : folder).string()
                   + " is read-only: " + std::generic_category().message(code));
}

// The bytes into a new temporary file beside `real`, then moved there. The
// file replaced (`old`, when there is one) passes on its owner, group and
// mode, or nothing is changed; a new file gets the usual mode. The temporary
// file is readable by its owner alone until its bytes are all there, and
// stays locked until it is renamed or removed, so no other write takes it
// for a stale one. With `expected` (a descriptor, else -1) the target must
// still be that file when the new one takes its place (PublishOver).
TWriteResult WriteBeside(const fs::path& real, const struct stat* old, std::string_view bytes, TExistingTarget existing,
                         int expected = -1)
{
    RemoveStaleTemporaries(real);
    fs::path temporary;
    const int fd = CreateTemporary(real, temporary);
    if (fd < 0)
        return CannotCreateBeside(real, errno);
    TWriteResult result;
    if (const int code = WriteAll(fd, bytes))
        result = FailureCode(code);
    if (result) {
        if (old)
            result.Error = TakeOverAccess(fd, *old);
        else if (const int code = GiveNewFileMode(fd))
            result = FailureCode(code);
    }
    if (result && ::fsync(fd) != 0)
        result = FailureCode(errno);
    bool theirs = false;
    if (result)
        result = expected >= 0 ? PublishOver(temporary, real, expected, theirs) : Publish(temporary, real, existing);
    if ((!result && !theirs) || existing == TExistingTarget::Refuse)
        ::unlink(temporary.c_str());
    // The bytes are on the disk (fsync), so closing can lose nothing.
    ::close(fd);
    if (result)
        SyncFolder(real.parent_path());
    return result;
}

// SafeWriteFile, or with `expected` (a descriptor, else -1) SafeReplaceFile.
TWriteResult WriteFile(const fs::path& target, std::string_view bytes, TExistingTarget existing, int expected)
{
    struct stat status {};
    if (existing == TExistingTarget::Refuse) {
        if (::lstat(target.c_str(), &status) == 0)
            return Refused();
        if (errno != ENOENT)
            return FailureCode(errno);
        return WriteBeside(target, nullptr, bytes, existing);
    }
    const TTarget found = Resolve(target);
    if (expected >= 0 && (found.Descriptor || !found.Exists || !S_ISREG(found.Status.st_mode)))
        return Failure(found.Error.empty() ? ReplacedMeanwhile : found.Error);
    if (found.Descriptor)
        return WriteDescriptor(*found.Descriptor, bytes);
    if (!found.Error.empty())
        return Failure(found.Error);
    if (!found.Exists)
        return WriteBeside(found.Path, nullptr, bytes, existing);
    const mode_t type = found.Status.st_mode;
    if (S_ISDIR(type))
        return Failure("it is a directory");
    if (S_ISCHR(type) || S_ISFIFO(type))
        return WriteStream(found.Path, S_ISFIFO(type), bytes);
    if (!S_ISREG(type))
        return Failure("it is not a regular file");
    // Replacing goes through the folder, so it would also succeed on a file
    // that is itself write-protected: keep that protection.
    if (::faccessat(AT_FDCWD, found.Path.c_str(), W_OK, AT_EACCESS) != 0)
        return FailureCode(errno);
    return WriteBeside(found.Path, &found.Status, bytes, existing, expected);
}

}  // namespace

TWriteResult SafeWriteFile(const fs::path& target, std::string_view bytes, TExistingTarget existing)
{
    return WriteFile(target, bytes, existing, -1);
}

TWriteResult SafeReplaceFile(const fs::path& target, std::string_view bytes, int expected)
{
    return WriteFile(target, bytes, TExistingTarget::Replace, expected);
}
