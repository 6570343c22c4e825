#pragma once
// stagetool's command lines: the commands' argument rules, the parsed
// arguments, running a command, and the checks and output every command
// shares.

#include "stage/StageRecord.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

constexpr int ExitError = 1;
constexpr int ExitUsage = 2;
// diff and merge exit as diff(1) and git do: 1 says the files differ or
// conflict, so a failure is 2.
constexpr int ExitTrouble = 2;

// A command line the tool cannot take (exit 2), and a command that failed (exit 1).
struct TUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct TToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TArgs {
    std::vector<std::string> Positional;
    std::map<std::string, std::string, std::less<>> Options;

    bool Has(std::string_view option) const { return Options.find(option) != Options.end(); }
    std::string Get(std::string_view option, std::string fallback) const
    {
        const auto found = Options.find(option);
        return found == Options.end() ? fallback : found->second;
    }
};

// A command's body: its standard output and error streams as `out` and
// `err`; returns its exit status, raises TToolError or TUsageError when it
// fails.
using TCommandRun = int (*)(const TArgs& args, std::ostream& out, std::ostream& err);

struct TCommand {
    const char* Name;
    const char* Usage;
    std::vector<std::string_view> Options;  // each takes one value
    std::size_t MinPositional;
    std::size_t MaxPositional;
    TCommandRun Run;
    std::vector<std::string_view> Flags = {};  // options that take no value
    int FailureStatus = ExitError;             // the exit status when it fails
};

// The arguments after the command's name, or a usage error.
TArgs ParseArgs(const TCommand& command, const std::vector<std::string>& words);

// Parses `words` (the arguments after the command's name) and runs the
// command: its exit status. A failure is one line on `err`, "stagetool NAME:
// why", with the command's FailureStatus, or with the usage appended and
// status 2 for a usage error.
int RunCommand(const TCommand& command, const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// A plain decimal number within low..high, or a usage error naming `what`.
std::int64_t ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, const char* what);
int ParseStageNumber(const std::string& text);

// The stage file: --file, or "Stage.Dat", found as the editor finds it
// (ignoring letter case; see FindStageFile), so every command reads and
// writes the same file. Raises TToolError when several files of that name
// differ only in letter case (StageFileClash): none of them is the file.
std::filesystem::path StageFileArg(const TArgs& args);

// To -o OUT when given (written whole or not at all), else to `out`, the
// standard output.
void WriteOutput(const TArgs& args, const std::string& text, std::ostream& out);

// Writes `text` to `out`, the standard output, and flushes it; raises
// TToolError when it cannot.
void WriteAll(std::ostream& out, const std::string& text);

// JSON objects, one a line, as one array ("[]" when there are none).
std::string JsonArrayLines(const std::vector<std::string>& objects);

// `number` in decimal, at least two digits ("07", "42", "100").
std::string TwoDigits(std::int64_t number);

// Single-byte text of a stage (a caption, a picture name, a finding that
// quotes one) as stagetool prints it: in UTF-8, each byte read as Latin-1,
// as the JSON output reads it.
std::string Utf8Text(std::string_view bytes);
// A caption or name on one line of a listing: the caption's line break mark
// as a space, control bytes as '?', in UTF-8.
std::string ListedText(const TShortString& text, bool caption);

// True when `a` and `b` name the same file: the same file on the same device
// when both exist (so links and other spellings count), else the same path
// once made absolute and normal.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// "1 cell", "3 cells": a count and its noun for messages.
std::string Counted(int count, const char* what);
// " holds" or " hold", the verb that follows Counted(count, ...).
const char* Holds(int count);

// Refuses, naming `output` (as `label` shows it), an output that would take
// the stage file's place: the stage file itself (through a link or another
// name of it), or a new name that the stage file's lookup, which ignores
// letter case, would find instead of it ("Stage.Dat" beside "STAGE.DAT").
void CheckNotStageFile(const std::filesystem::path& output, const std::filesystem::path& stageFile,
                       const std::string& label);

// CheckNotStageFile for -o, when given.
void CheckOutputIsNotStageFile(const TArgs& args, const std::filesystem::path& stageFile);
