#include "cli/GitSetup.h"

#include "cli/ToolArgs.h"
#include "storage/SafeWrite.h"
#include "storage/TextMapFile.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <system_error>
#include <utility>
#include <vector>

extern char** environ;

namespace {

struct TGitRun {
    int Status = -1;     // git's exit status; -1 when it could not run
    std::string Output;  // standard output and error together, without the last line end
};

TGitRun RunGit(const std::filesystem::path& dir, const std::vector<std::string>& args)
{
    std::vector<std::string> words = {"git", "-C", dir.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    TGitRun run;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "git", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char buffer[4096];
    for (ssize_t got;
         spawned == 0 && ((got = ::read(fds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR));)
        run.Output.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    ::close(fds[0]);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.Status = WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
    while (!run.Output.empty() && run.Output.back() == '\n')
        run.Output.pop_back();
    return run;
}

std::string Git(const std::filesystem::path& dir, const std::vector<std::string>& args)
{
    TGitRun run = RunGit(dir, args);
    if (run.Status < 0)
        throw TToolError("cannot run git; is it installed?");
    if (run.Status != 0)
        throw TToolError("git " + args.front() + " failed: " + run.Output);
    return std::move(run.Output);
}

// Adds the attributes line to `file` unless a line says so already; true
// when it did.
bool AddAttributes(const std::filesystem::path& file, std::ostream& out)
{
    std::string text;
    std::error_code error;
    // Git reads no attributes through a link, and writing through one would
    // append a line to whatever file it leads to.
    const std::filesystem::file_status status = std::filesystem::symlink_status(file, error);
    if (std::filesystem::is_symlink(status))
        throw TToolError(file.string() + " is a symbolic link, which git does not read; nothing changed");
    if (std::filesystem::exists(status)) {
        // Refuses a FIFO or a folder without waiting.
        TTextMapRead read = ReadTextMapFile(file, MaxTextMapBytes, "an attributes file");
        if (!read)
            throw TToolError("cannot read " + file.string() + ": " + read.Error);
        text = std::move(read.Bytes);
    }
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line == StageAttributes)
            return false;
        start = end + 1;
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += std::string(StageAttributes) + "\n";
    if (const TWriteResult written = SafeWriteFile(file, text); !written)
        throw TToolError("cannot write " + file.string() + ": " + written.Error);
    out << "added to " << file.string() << ": " << StageAttributes << "\n";
    return true;
}

// Sets a setting of the repository unless it holds `value` already.
bool SetConfig(const std::filesystem::path& top, const std::string& key, const std::string& value, std::ostream& out)
{
    const TGitRun current = RunGit(top, {"config", "--local", "--get", key});
    if (current.Status == 0 && current.Output == value)
        return false;
    Git(top, {"config", "--local", key, value});
    if (current.Status == 0)
        out << "updated " << key << " (it was " << current.Output << ")\n";
    else
        out << "set " << key << "\n";
    return true;
}

// True when a "stagetool" on PATH leads to `program`.
bool OnPath(const std::filesystem::path& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        end = end == std::string::npos ? folders.size() : end;
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && ::access((folder + "/stagetool").c_str(), X_OK) == 0
            && SameFile(folder + "/stagetool", program))
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char ch : text)
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

void SetUpGit(const std::filesystem::path& dir, const std::filesystem::path& program, std::ostream& out,
              std::ostream& err)
{
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        throw TToolError(dir.string() + " is no folder");
    const TGitRun inside = RunGit(dir, {"rev-parse", "--show-toplevel"});
    if (inside.Status < 0)
        throw TToolError("cannot run git; is it installed?");
    if (inside.Status != 0 || inside.Output.empty())
        throw TToolError(dir.string() + " is in no git working tree (" + inside.Output + ")");
    const std::filesystem::path top = inside.Output;

    const std::string tool = ShellQuoted(program.string());
    bool changed = AddAttributes(top / ".gitattributes", out);
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"diff.stagetool.textconv", tool + " textconv"},
             {"diff.stagetool.cachetextconv", "true"},
             // Hunk headers name the stage a change is in.
             {"diff.stagetool.xfuncname", "^\\[Stage[0-9]+\\].*$"},
             {"merge.stagetool.name", "stage files, cell by cell (stagetool merge)"},
             {"merge.stagetool.driver", tool + " merge %O %A %B --path %P"},
         })
        changed = SetConfig(top, key, value, out) || changed;
    if (!changed)
        out << top.string() << ": git already diffs and merges stage files with " << program.string() << "\n";
    if (!OnPath(program))
        err << "stagetool git-setup: warning: " << program.string()
            << " is not an installed program (no stagetool on PATH leads to it): if it moves, git cannot diff or "
               "merge stage files until git-setup runs again\n";
}
