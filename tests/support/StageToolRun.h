#pragma once
// Runs stagetool as designers and scripts do, in a scratch folder of its own
// per test: exit status, standard output, the error lines, the files left.

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
#include <string>

namespace fs = std::filesystem;

struct TRun {
    int Status;
    std::string Out;
};

class StageToolTest : public TScratchDirTest {
protected:
    StageToolTest() : TScratchDirTest("stagetool") {}

    // Runs the tool in the test's folder; stdout is captured, stderr goes to
    // the file "err".
    TRun Run(const std::string& args) const { return RunScript(Tool() + " " + args + " 2>err"); }
    // The same on a disk that is as good as full: no file may grow past
    // 1 KB, and a write that tries fails (EFBIG) instead of killing the tool.
    TRun RunOnFullDisk(const std::string& args) const
    {
        return RunScript("trap '' XFSZ; ulimit -f 2; " + Tool() + " " + args + " 2>err");
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
    // The error line: exactly one line on stderr.
    std::string ErrorLine() const
    {
        const std::string err = Read("err");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        return err;
    }
    // Names in the test's folder other than "err": a left-over temporary file
    // shows here.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            if (entry.path().filename() != "err")
                names.insert(entry.path().filename().string());
        return names;
    }
    static std::string Golden(const std::string& name) { return ReadFile(std::string(STAGE_TEST_DATA) + "/" + name); }
};
