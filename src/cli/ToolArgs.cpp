#include "cli/ToolArgs.h"

#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"

#include <sys/stat.h>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ostream>
#include <system_error>

TArgs ParseArgs(const TCommand& command, const std::vector<std::string>& words)
{
    TArgs args;
    const std::size_t count = words.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view arg = words[i];
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
            if (i + 1 >= count)
                throw TUsageError(std::string(arg) + " needs a value");
            if (args.Has(arg))
                throw TUsageError(std::string(arg) + " given twice");
            args.Options.emplace(std::string(arg), words[++i]);
        } else {
            args.Positional.emplace_back(arg);
        }
    }
    if (args.Positional.size() < command.MinPositional || args.Positional.size() > command.MaxPositional)
        throw TUsageError("wrong number of arguments");
    return args;
}

int RunCommand(const TCommand& command, const std::vector<std::string>& words, std::ostream& out, std::ostream& err)
{
    try {
        return command.Run(ParseArgs(command, words), out, err);
    } catch (const TUsageError& error) {
        err << "stagetool " << command.Name << ": " << error.what() << " (usage: stagetool " << command.Usage << ")\n";
        return ExitUsage;
    } catch (const std::exception& error) {
        err << "stagetool " << command.Name << ": " << error.what() << "\n";
        return command.FailureStatus;
    }
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

void WriteOutput(const TArgs& args, const std::string& text, std::ostream& out)
{
    if (!args.Has("-o")) {
        WriteAll(out, text);
        return;
    }
    const std::string output = args.Get("-o", "");
    const TWriteResult written = SafeWriteFile(output, text);
    if (!written)
        throw TToolError("cannot write " + output + ": " + written.Error);
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
    const std::filesystem::path named = args.Get("--file", DefaultStageFileName);
    if (const std::string clash = StageFileClash(named); !clash.empty())
        throw TToolError(clash);
    return FindStageFile(named);
}

void WriteAll(std::ostream& out, const std::string& text)
{
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush())
        throw TToolError("cannot write to standard output");
}

std::string JsonArrayLines(const std::vector<std::string>& objects)
{
    if (objects.empty())
        return "[]\n";
    std::string out = "[\n";
    for (std::size_t i = 0; i < objects.size(); ++i)
        out += objects[i] + (i + 1 < objects.size() ? ",\n" : "\n");
    return out + "]\n";
}

std::string TwoDigits(std::int64_t number)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%02lld", static_cast<long long>(number));
    return digits;
}

std::string Utf8Text(std::string_view bytes)
{
    std::string text;
    AppendLatin1(text, bytes.data(), bytes.size());
    return text;
}

std::string ListedText(const TShortString& text, bool caption)
{
    std::string line = text.Str();
    for (char& ch : line) {
        const auto byte = static_cast<unsigned char>(ch);
        if (caption && byte == LineBreakMark)
            ch = ' ';
        else if (byte < 32 || byte == 127)
            ch = '?';
    }
    return Utf8Text(line);
}

std::string Counted(int count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

const char* Holds(int count)
{
    return count == 1 ? " holds" : " hold";
}
