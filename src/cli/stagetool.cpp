// stagetool: the editor's stage file and text map operations from the command
// line, run through the same core as the editor. Errors: one line on stderr
// and exit status 1; usage errors exit 2.
#include "cli/CliHost.h"
#include "cli/Render.h"
#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "storage/StageFile.h"
#include "storage/TextMap.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr int ExitError = 1;
constexpr int ExitUsage = 2;
constexpr int MaxStageNumber = 99;

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

struct TCommand {
    const char* Name;
    const char* Usage;
    std::vector<std::string_view> Options;  // each takes one value
    std::size_t MinPositional;
    std::size_t MaxPositional;
    int (*Run)(const TArgs& args);
};

TArgs ParseArgs(const TCommand& command, int argc, char** argv)
{
    TArgs args;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() > 1 && arg[0] == '-') {
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

// A plain decimal number within low..high, or a usage error naming `what`.
std::int64_t ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, const char* what)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < low || value > high)
        throw TUsageError(std::string(what) + " must be a number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

int ParseStageNumber(const std::string& text)
{
    return static_cast<int>(ParseNumber(text, 0, MaxStageNumber, "stage number"));
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        throw TToolError("cannot open " + path.string());
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(file.get()))
        throw TToolError("cannot read " + path.string());
    return bytes;
}

// To -o OUT when given, else to standard output.
void WriteOutput(const TArgs& args, const std::string& text)
{
    if (!args.Has("-o")) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            throw TToolError("cannot write to standard output");
        return;
    }
    const std::string out = args.Get("-o", "");
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (!file)
        throw TToolError("cannot create " + out);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if ((std::fclose(file) != 0) || !written)
        throw TToolError("cannot write " + out);
}

// A freshly started editor around the tool's host.
struct TEditor {
    TCliHost Host;
    TMainForm Form{Host};

    explicit TEditor(int stageNumber = 0)
    {
        Host.Form = &Form;
        Host.StageNumPosition = stageNumber;
        Form.StageNum = static_cast<std::uint16_t>(stageNumber);
        Form.ClearLayers();
    }
};

std::filesystem::path StageFileArg(const TArgs& args)
{
    return args.Get("--file", "Stage.Dat");
}

// One record per line: number, caption, enemies in all, MaxCount, BG_Bitmap,
// separated by tabs. Control bytes in a caption show as '?' and the line break
// mark as a space, so every record stays on its line.
int RunList(const TArgs& args)
{
    const auto file = StageFileArg(args);
    const auto count = StageRecordCount(file);
    if (!count)
        throw TToolError("cannot open " + file.string());
    for (std::int64_t n = 0; n < *count; ++n) {
        StageRecord record;
        if (!ReadStageRecord(file, static_cast<int>(n), record))
            throw TToolError("cannot read stage " + std::to_string(n) + " from " + file.string());
        std::string caption = record.Caption.Str();
        for (char& ch : caption) {
            const auto byte = static_cast<unsigned char>(ch);
            if (byte == LineBreakMark)
                ch = ' ';
            else if (byte < 32 || byte == 127)
                ch = '?';
        }
        std::string bitmap = record.BG_Bitmap.Str();
        for (char& ch : bitmap)
            if (static_cast<unsigned char>(ch) < 32 || ch == 127)
                ch = '?';
        unsigned total = 0;
        for (int i = 0; i < 16; ++i)
            total += record.EnemyCount[i];
        std::printf("%02lld\t%s\t%u\t%u\t%s\n", static_cast<long long>(n), caption.c_str(), total,
                    static_cast<unsigned>(record.MaxCount), bitmap.c_str());
    }
    if (std::fflush(stdout) != 0)
        throw TToolError("cannot write to standard output");
    return 0;
}

int RunExport(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    const auto file = StageFileArg(args);
    TEditor editor(number);
    editor.Form.StageFileName = file;
    if (!editor.Form.ReadStageFile())
        throw TToolError("cannot read stage " + std::to_string(number) + " from " + file.string());
    WriteOutput(args, editor.Form.ExportTextMap());
    return 0;
}

int RunImport(const TArgs& args)
{
    const std::filesystem::path input = args.Positional[0];
    const int forcedNumber = args.Has("--stage") ? ParseStageNumber(args.Get("--stage", "")) : -1;
    const auto file = StageFileArg(args);
    const std::string text = NormaliseTextLines(ReadWholeFile(input));

    TEditor editor;
    StageRecord empty;
    TMainForm::EmptyStage(empty);
    editor.Form.ApplyStage(empty);
    if (!editor.Form.ImportTextMap(text))
        throw TToolError(input.string() + ": no stage header, nothing written");
    if (forcedNumber >= 0)
        editor.Form.StageNum = static_cast<std::uint16_t>(forcedNumber);

    std::error_code error;
    if (!std::filesystem::exists(file, error) && !CreateStageFile(file, 0, empty) &&
        !std::filesystem::exists(file, error))
        throw TToolError("cannot create " + file.string());
    editor.Form.StageFileName = file;
    if (!editor.Form.WriteStageFile())
        throw TToolError("cannot write stage " + std::to_string(editor.Form.StageNum) + " to " + file.string());
    return 0;
}

int RunRandom(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    TEditor editor(number);  // seeded from the clock, as the editor is
    if (args.Has("--seed"))
        RandomSeed = static_cast<std::uint32_t>(ParseNumber(args.Get("--seed", ""), 0, UINT32_MAX, "seed"));
    editor.Form.GenerateRandomStage();
    WriteOutput(args, editor.Form.ExportTextMap());
    return 0;
}

int RunNew(const TArgs& args)
{
    const auto file = StageFileArg(args);
    const int count = static_cast<int>(
        args.Has("--count") ? ParseNumber(args.Get("--count", ""), 0, MaxStageNumber + 1, "record count") : 1);
    std::error_code error;
    if (std::filesystem::exists(file, error))
        throw TToolError(file.string() + " already exists");
    StageRecord empty;
    TMainForm::EmptyStage(empty);
    if (!CreateStageFile(file, count, empty))
        throw TToolError(std::filesystem::exists(file, error) ? file.string() + " already exists"
                                                             : "cannot create " + file.string());
    return 0;
}

int RunRender(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    if (!args.Has("-o"))
        throw TUsageError("-o OUT.png is required");
    RenderStagePreview(number, StageFileArg(args), args.Get("-o", ""));
    return 0;
}

// One line per subcommand.
const std::vector<TCommand>& Commands()
{
    static const std::vector<TCommand> commands = {
        {"list", "list [--file F]", {"--file"}, 0, 0, RunList},
        {"export", "export N [--file F] [-o OUT]", {"--file", "-o"}, 1, 1, RunExport},
        {"import", "import IN [--file F] [--stage N]", {"--file", "--stage"}, 1, 1, RunImport},
        {"random", "random N [--seed S] [-o OUT]", {"--seed", "-o"}, 1, 1, RunRandom},
        {"new", "new [--file F] [--count K]", {"--file", "--count"}, 0, 0, RunNew},
        {"render", "render N [--file F] -o OUT.png", {"--file", "-o"}, 1, 1, RunRender},
    };
    return commands;
}

void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const auto& command : Commands())
        std::fprintf(out, "  stagetool %s\n", command.Usage);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return 0;
    }
    for (const auto& command : Commands()) {
        if (name != command.Name)
            continue;
        try {
            return command.Run(ParseArgs(command, argc, argv));
        } catch (const TUsageError& error) {
            std::fprintf(stderr, "stagetool %s: %s (usage: stagetool %s)\n", command.Name, error.what(),
                         command.Usage);
            return ExitUsage;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "stagetool %s: %s\n", command.Name, error.what());
            return ExitError;
        }
    }
    std::fprintf(stderr, "stagetool: unknown command \"%s\" (try stagetool --help)\n", argv[1]);
    return ExitUsage;
}
