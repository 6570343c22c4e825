#include "storage/RecoveryFolder.h"

#include "storage/TemporaryFile.h"
#include "storage/TextMapFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view CopySuffix = ".recovery";
constexpr std::string_view LockSuffix = ".lock";
// A copy is far smaller; anything bigger is not one and is not read whole.
constexpr std::uintmax_t MaxCopyBytes = 64 * 1024;

fs::path AbsoluteFolder(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value)
        return {};
    fs::path folder(value);
    return folder.is_absolute() ? folder : fs::path();
}

std::string ErrorText(int code)
{
    return std::generic_category().message(code);
}

// The copy `file` holds, or none when it is no copy or cannot be read. Only
// a regular file no bigger than a copy can be (links not followed) is read,
// and read as a text map is: without waiting, so a FIFO put there (which a
// check before the open could miss) never stops the editor.
std::optional<TRecoveryCopy> ReadCopy(const fs::path& file)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(file, error);
    if (error || !fs::is_regular_file(status) || fs::file_size(file, error) > MaxCopyBytes || error)
        return std::nullopt;
    const TTextMapRead read = ReadTextMapFile(file);
    return read && read.Bytes.size() <= MaxCopyBytes ? DecodeRecoveryCopy(read.Bytes) : std::nullopt;
}

// An open lock file: a regular file, else none (a FIFO or device of the
// name is never waited for, nor taken).
int OpenLockFile(const fs::path& file, bool makeMissing)
{
    constexpr int access = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    int fd = ::open(file.c_str(), access);
    if (fd < 0 && errno == ENOENT && makeMissing)
        fd = ::open(file.c_str(), access | O_CREAT, 0600);
    struct stat status {};
    if (fd >= 0 && (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool EndsWith(std::string_view name, std::string_view suffix)
{
    return name.size() > suffix.size() && name.ends_with(suffix);
}

}  // namespace

fs::path RecoveryFolder(const std::string& program)
{
    if (fs::path state = AbsoluteFolder("XDG_STATE_HOME"); !state.empty())
        return state / program;
    if (fs::path home = AbsoluteFolder("HOME"); !home.empty())
        return home / ".local" / "state" / program;
    return {};
}

std::string RecoveryStageFileName(const fs::path& stageFile)
{
    std::error_code error;
    fs::path name = fs::weakly_canonical(fs::absolute(stageFile, error), error);
    if (error)
        name = fs::absolute(stageFile, error).lexically_normal();
    return name.string();
}

fs::path RecoveryCopyFile(const fs::path& folder, const std::string& id)
{
    return folder / (id + std::string(CopySuffix));
}

fs::path RecoveryLockFile(const fs::path& folder, const std::string& id)
{
    return folder / (id + std::string(LockSuffix));
}

std::unique_ptr<TRecoveryLock> TRecoveryLock::Create(const fs::path& file, std::string& error)
{
    std::error_code made;
    fs::create_directories(file.parent_path(), made);
    if (made) {
        error = made.message();
        return nullptr;
    }
    // Made locked under a temporary name, then renamed into place.
    fs::path temporary;
    const int fd = CreateTemporary(file, temporary);
    if (fd < 0) {
        error = ErrorText(errno);
        return nullptr;
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        error = ErrorText(errno);
        ::unlink(temporary.c_str());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TRecoveryLock>(new TRecoveryLock(file, fd));
}

std::unique_ptr<TRecoveryLock> TRecoveryLock::Take(const fs::path& file, bool makeMissing)
{
    const int fd = OpenLockFile(file, makeMissing);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TRecoveryLock>(new TRecoveryLock(file, fd));
}

TRecoveryLock::~TRecoveryLock()
{
    ::close(FFd);
}

void TRecoveryLock::Remove()
{
    ::unlink(FFile.c_str());
}

std::vector<TLeftCopy> FindLeftCopies(const fs::path& folder, const std::string& stageFile)
{
    // What killed editors left half-made: a copy being written, a lock file
    // being made.
    RemoveStaleTemporaries(
        folder, [](std::string_view target) { return EndsWith(target, CopySuffix) || EndsWith(target, LockSuffix); });
    std::vector<TLeftCopy> copies;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.front() == '.')
            continue;
        if (EndsWith(name, LockSuffix)) {
            const std::string id = name.substr(0, name.size() - LockSuffix.size());
            std::error_code missing;
            if (!fs::exists(fs::symlink_status(RecoveryCopyFile(folder, id), missing)))
                if (const auto lock = TRecoveryLock::Take(it->path(), false))
                    lock->Remove();  // an ended editor that left nothing
            continue;
        }
        // Only a copy for this stage file is locked; anything else named
        // like one is left as it is, and gets no lock file.
        const auto ours = [&stageFile](const std::optional<TRecoveryCopy>& copy) {
            return copy && copy->StageFile == stageFile;
        };
        if (!EndsWith(name, CopySuffix) || !ours(ReadCopy(it->path())))
            continue;
        const std::string id = name.substr(0, name.size() - CopySuffix.size());
        std::unique_ptr<TRecoveryLock> lock = TRecoveryLock::Take(RecoveryLockFile(folder, id));
        if (!lock)
            continue;  // its editor is running
        // Read again under the lock: its editor may have written it once
        // more before it ended.
        std::optional<TRecoveryCopy> copy = ReadCopy(it->path());
        if (!ours(copy))
            continue;
        copies.push_back(TLeftCopy{it->path(), std::move(*copy), std::move(lock)});
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TLeftCopy& a, const TLeftCopy& b) { return a.Copy.Time > b.Copy.Time; });
    return copies;
}
