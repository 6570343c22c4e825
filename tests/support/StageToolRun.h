#pragma once
// Runs stagetool's commands as designers and scripts do, in a scratch folder
// of its own per test (the current folder while the test runs): exit status,
// standard output, standard error, the files left. Run calls a command's
// body in this process, as the program's dispatch does once it has found the
// command; RunProgram, RunScript and RunOnFullDisk run the program itself,
// for what only a process shows (its exit, its streams, the file size limit,
// several processes at once).

#include "cli/StageToolCommands.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct TRun {
    int Status;
    std::string Out;
};

class StageToolTest : public TScratchDirTest {
protected:
    StageToolTest() : TScratchDirTest("stagetool") {}

    void SetUp() override
    {
        TScratchDirTest::SetUp();
        FHome = fs::current_path();
        fs::current_path(Dir);
    }
    void TearDown() override
    {
        fs::current_path(FHome);
        TScratchDirTest::TearDown();
    }

    // "NAME ARGS...": the command, found and parsed as the program does,
    // on the words split at spaces. Its standard error is kept for Stderr.
    TRun Run(const std::string& line)
    {
        std::istringstream split(line);
        std::string name;
        split >> name;
        const std::vector<std::string> words{std::istream_iterator<std::string>(split), {}};
        const TCommand* command = FindStageToolCommand(name);
        EXPECT_NE(command, nullptr) << name;
        std::ostringstream out;
        std::ostringstream err;
        const int status = command ? RunCommand(*command, words, out, err) : -1;
        FStderr = err.str();
        return TRun{status, out.str()};
    }

    // The program with `args`; its standard error is kept for Stderr.
    TRun RunProgram(const std::string& args)
    {
        const TRun run = RunScript(Tool() + " " + args + " 2>err");
        FStderr = Read("err");
        fs::remove(Dir / "err");
        return run;
    }
    // The program on a disk that is as good as full: no file may grow past
    // 1 KB, and a write that tries fails (EFBIG) instead of killing the tool.
    TRun RunOnFullDisk(const std::string& args)
    {
        const TRun run = RunScript("trap '' XFSZ; ulimit -f 2; " + Tool() + " " + args + " 2>err");
        FStderr = Read("err");
        fs::remove(Dir / "err");
        return run;
    }
    static std::string Tool() { return "'" + std::string(STAGETOOL_PATH) + "'"; }
    // Runs a shell script in the test's folder; stdout is captured.
    TRun RunScript(const std::string& script) const
    {
        const std::string command = "cd '" + Dir.string() + "' && (" + script + ")";
        FILE* pipe = popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        const int status = pclose(pipe);
        return TRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    // A file in the test's folder.
    std::string Read(const std::string& name) const { return ReadFile(Dir / name); }
    void Write(const std::string& name, const std::string& bytes) const { WriteFile(Dir / name, bytes); }
    // The last command's standard error.
    const std::string& Stderr() const { return FStderr; }
    // The error line: exactly one line on the last command's standard error.
    std::string ErrorLine() const
    {
        EXPECT_EQ(std::count(FStderr.begin(), FStderr.end(), '\n'), 1) << FStderr;
        return FStderr;
    }
    // Names in the test's folder other than "err" (a script's standard
    // error): a left-over temporary file shows here.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            if (entry.path().filename() != "err")
                names.insert(entry.path().filename().string());
        return names;
    }
    static std::string Golden(const std::string& name) { return ReadFile(std::string(STAGE_TEST_DATA) + "/" + name); }

private:
    fs::path FHome;
    std::string FStderr;
};
