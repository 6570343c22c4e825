#include "storage/TemporaryFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
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

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// BASE for a name ".BASE.PID-N.tmp"; nothing for any other name.
std::optional<std::string_view> TemporaryTarget(std::string_view name)
{
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= 1 + suffix.size() || name.front() != '.' || !name.ends_with(suffix))
        return std::nullopt;
    name.remove_prefix(1);
    name.remove_suffix(suffix.size());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::string_view writer = name.substr(dot + 1);
    const std::size_t dash = writer.find('-');
    if (dash == std::string_view::npos || !AllDigits(writer.substr(0, dash)) || !AllDigits(writer.substr(dash + 1)))
        return std::nullopt;
    return name.substr(0, dot);
}

// The process's umask, read without changing it (umask(2) would change it
// for every thread meanwhile); the usual 022 where the system does not say.
mode_t CreationMask()
{
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        return static_cast<mode_t>(022);
    }();
    return mask;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Between the open and the lock another write of the target may take
        // the new file for a stale one: it then holds the lock or has removed
        // the file, and this one tries the next name.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 ? NameIsFile(fd, name) : NoLocksHere(errno))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

int GiveNewFileMode(int fd)
{
    return ::fchmod(fd, 0666 & ~CreationMask()) == 0 ? 0 : errno;
}

void RemoveStaleTemporaries(const fs::path& target)
{
    const std::string base = TemporaryBase(target);
    RemoveStaleTemporaries(target.parent_path(), [&base](std::string_view name) { return name == base; });
}

void RemoveStaleTemporaries(const fs::path& folder, const std::function<bool(std::string_view target)>& isTarget)
{
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::optional<std::string_view> target = TemporaryTarget(name);
        if (!target || !isTarget(*target))
            continue;
        const fs::path path = folder / name;
        // A complete temporary file has the target's mode: one left by a
        // writer killed just before its rename may be readable or writable only.
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && NameIsFile(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
}

bool NameIsFile(int fd, const fs::path& name)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(opened, named);
}
