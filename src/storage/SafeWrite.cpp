#include "storage/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Names of temporary files stay unique within the process; the process id
// keeps them apart between processes.
std::atomic<unsigned> TemporaryCounter{0};

constexpr int TemporaryAttempts = 100;

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

// Writes every byte, going on after an interrupted or short write. Returns 0
// or the error code.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// close() that reports a failure, except an interruption: Linux has closed
// the descriptor by then, and every caller has already flushed the data.
int Close(int fd)
{
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// A new, empty file beside `target` that no one else uses; -1 when none can
// be made (errno set).
int CreateTemporary(const fs::path& target, fs::path& name)
{
    // Keeps the name within the usual limit of 255 bytes.
    std::string base = target.filename().string().substr(0, 200);
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        name = target.parent_path()
               / ("." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(TemporaryCounter++) + ".tmp");
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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
    const int closed = Close(fd);
    code = code ? code : closed;
    return code ? FailureCode(code) : TWriteResult{};
}

// Moves the finished temporary file to `target`, or removes it.
TWriteResult Publish(const fs::path& temporary, const fs::path& target, TExistingTarget existing)
{
    if (existing == TExistingTarget::Replace) {
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            const int code = errno;
            ::unlink(temporary.c_str());
            return FailureCode(code);
        }
        return {};
    }
    // A hard link is made only when the name is free, so no file that appears
    // meanwhile is ever replaced.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return {};
    }
    const int code = errno;
    const bool noHardLinks = code == EPERM || code == ENOTSUP || code == EOPNOTSUPP || code == ENOSYS;
    if (code == EEXIST || !noHardLinks) {
        ::unlink(temporary.c_str());
        return code == EEXIST ? Refused() : FailureCode(code);
    }
    // A file system without hard links: checked, then renamed; only a file
    // made in between could be replaced.
    struct stat status {};
    if (::lstat(target.c_str(), &status) == 0) {
        ::unlink(temporary.c_str());
        return Refused();
    }
    return Publish(temporary, target, TExistingTarget::Replace);
}

}  // namespace

TWriteResult SafeWriteFile(const fs::path& target, std::string_view bytes, TExistingTarget existing)
{
    fs::path real = target;
    struct stat status {};
    bool keepMode = false;
    if (::lstat(target.c_str(), &status) != 0) {
        if (errno != ENOENT)
            return FailureCode(errno);
    } else if (existing == TExistingTarget::Refuse) {
        return Refused();
    } else {
        if (S_ISLNK(status.st_mode)) {
            std::error_code error;
            real = fs::canonical(target, error);
            if (error)
                return Failure(error == std::errc::no_such_file_or_directory ? "it is a link to a missing file"
                                                                             : error.message());
            if (::stat(real.c_str(), &status) != 0)
                return FailureCode(errno);
        }
        if (S_ISDIR(status.st_mode))
            return Failure("it is a directory");
        if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode))
            return WriteStream(real, S_ISFIFO(status.st_mode), bytes);
        if (!S_ISREG(status.st_mode))
            return Failure("it is not a regular file");
        // Replacing goes through the folder, so it would also succeed on a
        // file that is itself write-protected: keep that protection.
        if (::faccessat(AT_FDCWD, real.c_str(), W_OK, AT_EACCESS) != 0)
            return FailureCode(errno);
        keepMode = true;
    }

    fs::path temporary;
    const int fd = CreateTemporary(real, temporary);
    if (fd < 0)
        return FailureCode(errno);
    int code = WriteAll(fd, bytes);
    if (!code && keepMode) {
        struct stat made {};
        const mode_t wanted = status.st_mode & 07777;
        if (::fstat(fd, &made) != 0 || ((made.st_mode & 07777) != wanted && ::fchmod(fd, wanted) != 0))
            code = errno;
    }
    if (!code && ::fsync(fd) != 0)
        code = errno;
    const int closed = Close(fd);
    code = code ? code : closed;
    if (code) {
        ::unlink(temporary.c_str());
        return FailureCode(code);
    }
    TWriteResult result = Publish(temporary, real, existing);
    if (result)
        SyncFolder(real.parent_path());
    return result;
}
