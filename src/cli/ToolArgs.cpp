#include "cli/ToolArgs.h"

#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"

#include <sys/stat.h>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

TArgs ParseArgs(const TCommand& command, int argc, char** argv)
{
    TArgs args;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() > 1 && arg[0] == '-') {
            if (std::find(command.Flags.begin(), command.Flags.end(), arg) != command.Flags.end()) {
                if (args.Has(arg))
                    throw TUsageError(std::string(arg) + " given twice");
                args.Options.emplace(std::string(arg), "");
                continue;
            }
            bool known = false;
            for (const auto option : command.Options)
                known = known || option == arg;
            if (!known)
                throw TUsageError("unknown option " + std::string(arg));
            if (i + 1 >= argc)
                throw TUsageError(std::string(arg) + " needs a value");
            if (args.Has(arg))
                throw TUsageError(std::string(arg) + " given twice");
            args.Options.emplace(std::string(arg), argv[++i]);
        } else {
            args.Positional.emplace_back(arg);
        }
    }
    if (args.Positional.size() < command.MinPositional || args.Positional.size() > command.MaxPositional)
        throw TUsageError("wrong number of arguments");
    return args;
}

std::int64_t ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, const char* what)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < low || value > high)
        throw TUsageError(std::string(what) + " must be a number from " + std::to_string(low) + " to "
                          + std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

int ParseStageNumber(const std::string& text)
{
    return static_cast<int>(ParseNumber(text, 0, MaxStageNumber, "stage number"));
}

void WriteOutput(const TArgs& args, const std::string& text)
{
    if (!args.Has("-o")) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            throw TToolError("cannot write to standard output");
        return;
    }
    const std::string out = args.Get("-o", "");
    const TWriteResult written = SafeWriteFile(out, text);
    if (!written)
        throw TToolError("cannot write " + out + ": " + written.Error);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code error;
    const auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error)
        return false;
    const auto canonicalB = std::filesystem::weakly_canonical(b, error);
    return !error && canonicalA == canonicalB;
}

void CheckNotStageFile(const std::filesystem::path& output, const std::filesystem::path& stageFile,
                       const std::string& label)
{
    if (SameFile(output, stageFile))
        throw TToolError(label + " is the stage file itself; nothing written");
    std::error_code error;
    const bool isNew = !std::filesystem::exists(std::filesystem::symlink_status(output, error));
    if (isNew && SameFile(FindStageFile(output), stageFile))
        throw TToolError(label + " would hide the stage file " + stageFile.string()
                         + " (its name is matched ignoring case); nothing written");
}

void CheckOutputIsNotStageFile(const TArgs& args, const std::filesystem::path& stageFile)
{
    if (args.Has("-o"))
        CheckNotStageFile(args.Get("-o", ""), stageFile, "-o " + args.Get("-o", ""));
}

std::filesystem::path StageFileArg(const TArgs& args)
{
    return FindStageFile(args.Get("--file", "Stage.Dat"));
}

std::string Counted(int count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}
