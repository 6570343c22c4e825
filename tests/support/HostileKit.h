#pragma once
// Hostile conditions for tests of files: child processes under a disk that
// fills up (a small file size limit), killed between two writes (the same
// limit with its signal left deadly), racing or caught while they wait; and
// files that are not regular files.

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <thread>

// Children that wait at a start line until ReleaseAll, so they run at once.
struct TStartLine {
    int Fds[2] = {-1, -1};
    TStartLine()
    {
        if (::pipe(Fds) != 0)
            Fds[0] = Fds[1] = -1;
    }
    ~TStartLine() { ReleaseAll(); }
    void Wait() const
    {
        ::close(Fds[1]);
        char byte;
        while (::read(Fds[0], &byte, 1) < 0 && errno == EINTR) {
        }
    }
    void ReleaseAll()
    {
        for (int& fd : Fds)
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
    }
};

// How a child ended: its exit status, or the signal that killed it.
struct TChildEnd {
    int ExitStatus = -1;
    int Signal = 0;
};

// Starts `body` in a child process and returns its process id; the child
// exits with the value `body` returns. With `fileSizeLimit` > 0 no file of the
// child may grow beyond that many bytes: with `killedAtLimit` the write that
// tries is killed by SIGXFSZ, as a crash between two writes; otherwise it
// fails as on a full disk (EFBIG).
inline pid_t StartChild(const std::function<int()>& body, rlim_t fileSizeLimit = 0, bool killedAtLimit = false)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    if (fileSizeLimit > 0) {
        std::signal(SIGXFSZ, killedAtLimit ? SIG_DFL : SIG_IGN);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(125);
    }
    ::_exit(body());
}

inline TChildEnd WaitChild(pid_t pid)
{
    int status = 0;
    TChildEnd end;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return end;
    if (WIFEXITED(status))
        end.ExitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        end.Signal = WTERMSIG(status);
    return end;
}

inline TChildEnd RunChild(const std::function<int()>& body, rlim_t fileSizeLimit = 0, bool killedAtLimit = false)
{
    return WaitChild(StartChild(body, fileSizeLimit, killedAtLimit));
}

// A listening Unix socket at `path` (at most 107 bytes); its descriptor, to
// be closed by the caller, or -1.
inline int BindSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits until the process `pid` holds `file` open, as its descriptors in
// /proc show: true then, false once the process has ended without. A child
// that will wait for a lock is thus known to have opened the file that was
// there before the test replaces it.
inline bool WaitUntilOpen(pid_t pid, const std::filesystem::path& file)
{
    namespace fs = std::filesystem;
    const std::string wanted = fs::canonical(file).string();
    const fs::path process = "/proc/" + std::to_string(pid);
    for (;;) {
        std::error_code error;
        for (fs::directory_iterator it(process / "fd", error); !error && it != fs::directory_iterator();
             it.increment(error))
            if (fs::read_symlink(it->path(), error) == wanted)
                return true;
        // The state follows the name in parentheses: Z for a process that ended.
        std::string stat;
        std::getline(std::ifstream(process / "stat"), stat);
        const std::size_t state = stat.rfind(')');
        if (state == std::string::npos || state + 2 >= stat.size() || stat[state + 2] == 'Z')
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
