#include "storage/TemporaryFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Names stay unique within the process; the process id keeps them apart
// between processes.
std::atomic<unsigned> TemporaryCounter{0};

constexpr int TemporaryAttempts = 100;

// The target's name as the temporary names carry it: at most 200 bytes, so
// that they stay within the usual limit of 255.
std::string TemporaryBase(const fs::path& target)
{
    return target.filename().string().substr(0, 200);
}

bool AllDigits(const std::string& text, std::size_t begin, std::size_t end)
{
    return begin < end
           && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(begin),
                          text.begin() + static_cast<std::ptrdiff_t>(end), [](char c) { return c >= '0' && c <= '9'; });
}

// True for ".BASE.PID-N.tmp".
bool IsTemporaryOf(const std::string& name, const std::string& base)
{
    const std::string prefix = "." + base + ".";
    const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::size_t end = name.size() - suffix.size();
    const std::size_t dash = name.find('-', prefix.size());
    return dash < end && AllDigits(name, prefix.size(), dash) && AllDigits(name, dash + 1, end);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the name still leads to the open file `fd`.
bool StillNamed(int fd, const fs::path& name)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(opened, named);
}

bool NoLocksHere(int code)
{
    return code == ENOLCK || code == EOPNOTSUPP || code == EINVAL;
}

}  // namespace

int CreateTemporary(const fs::path& target, fs::path& name)
{
    const std::string base = TemporaryBase(target);
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        name = target.parent_path()
               / ("." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(TemporaryCounter++) + ".tmp");
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Between the open and the lock another write of the target may take
        // the new file for a stale one: it then holds the lock or has removed
        // the file, and this one tries the next name.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 ? StillNamed(fd, name) : NoLocksHere(errno))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

void RemoveStaleTemporaries(const fs::path& target)
{
    const std::string base = TemporaryBase(target);
    const fs::path folder = target.parent_path();
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsTemporaryOf(name, base))
            continue;
        const fs::path path = folder / name;
        // A temporary file takes the target's mode before its bytes: it may
        // be readable or writable only.
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && StillNamed(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
}
