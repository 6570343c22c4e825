#include "storage/RecoveryFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

// The whole of a regular file (links not followed) no bigger than a copy can
// be; empty when it is anything else.
std::string ReadSmallFile(const fs::path& file)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(file, error);
    if (error || !fs::is_regular_file(status))
        return {};
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > MaxCopyBytes)
        return {};
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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
    // Locked under a temporary name first, then renamed into place.
    const fs::path temporary =
        file.parent_path() / ("." + file.filename().string() + "." + std::to_string(::getpid()) + ".new");
    ::unlink(temporary.c_str());  // a leftover of a dead process that had this id
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = ErrorText(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(temporary.c_str(), file.c_str()) != 0) {
        error = ErrorText(errno);
        ::unlink(temporary.c_str());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TRecoveryLock>(new TRecoveryLock(file, fd));
}

std::unique_ptr<TRecoveryLock> TRecoveryLock::Take(const fs::path& file, bool makeMissing)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT && makeMissing)
        fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
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
    std::vector<TLeftCopy> copies;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.front() == '.')
            continue;
        if (name.size() > LockSuffix.size() && name.ends_with(LockSuffix)) {
            const std::string id = name.substr(0, name.size() - LockSuffix.size());
            std::error_code missing;
            if (!fs::exists(RecoveryCopyFile(folder, id), missing))
                if (const auto lock = TRecoveryLock::Take(it->path(), false))
                    lock->Remove();  // an ended editor that left nothing
            continue;
        }
        if (name.size() <= CopySuffix.size() || !name.ends_with(CopySuffix))
            continue;
        const std::string id = name.substr(0, name.size() - CopySuffix.size());
        std::unique_ptr<TRecoveryLock> lock = TRecoveryLock::Take(RecoveryLockFile(folder, id));
        if (!lock)
            continue;  // its editor is running
        std::optional<TRecoveryCopy> copy = DecodeRecoveryCopy(ReadSmallFile(it->path()));
        if (!copy || copy->StageFile != stageFile)
            continue;
        copies.push_back(TLeftCopy{it->path(), std::move(*copy), std::move(lock)});
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TLeftCopy& a, const TLeftCopy& b) { return a.Copy.Time > b.Copy.Time; });
    return copies;
}
