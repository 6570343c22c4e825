// stagetool: the editor's stage file and text map operations from the command
// line, run through the same core as the editor. Errors: one line on stderr
// and exit status 1; usage errors exit 2.
#include "cli/CheckReport.h"
#include "cli/Render.h"
#include "cli/Sheet.h"
#include "cli/StageSave.h"
#include "cli/TextMapSet.h"
#include "cli/TiledCommands.h"
#include "cli/ToolArgs.h"
#include "editor/Main.h"
#include "editor/RandomGen.h"
#include "editor/WindowlessEditor.h"
#include "platform/PngEncode.h"
#include "platform/WithoutWindows.h"
#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"
#include "storage/TextMap.h"
#include "storage/TextMapFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr int ExitError = 1;
constexpr int ExitUsage = 2;
// The most records list, sheet and check read: a stage file holds 100; a
// file far larger is the wrong file.
constexpr std::int64_t MaxFileRecords = 1000;

// A text map file's bytes, or an error naming it.
std::string ReadTextMapBytes(const std::filesystem::path& path)
{
    TTextMapRead read = ReadTextMapFile(path);
    if (!read)
        throw TToolError("cannot read " + path.string() + ": " + read.Error);
    return std::move(read.Bytes);
}

// One record per line: number, caption, enemies in all, MaxCount, BG_Bitmap,
// separated by tabs. Control bytes in a caption show as '?' and the line break
// mark as a space, so every record stays on its line.
int RunList(const TArgs& args)
{
    const auto file = StageFileArg(args);
    // Under one lock, so that a replace cannot mix two files in one listing.
    const TStageRecords records =
        ReadAllRecords(file, MaxFileRecords, "list shows at most " + std::to_string(MaxFileRecords));
    for (std::size_t n = 0; n < records.Records.size(); ++n) {
        const StageRecord& record = records.Records[n];
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
        const auto total = static_cast<unsigned>(SumEnemyCounts(record.EnemyCount));
        std::printf("%02zu\t%s\t%u\t%u\t%s\n", n, caption.c_str(), total, static_cast<unsigned>(record.MaxCount),
                    bitmap.c_str());
    }
    if (std::fflush(stdout) != 0)
        throw TToolError("cannot write to standard output");
    return 0;
}

int RunExport(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    // As the editor loads it (the file found ignoring case), then as it exports.
    StageRecord record;
    if (!ReadStageRecord(file, number, record))
        throw TToolError("cannot read stage " + std::to_string(number) + " from " + file.string());
    WriteOutput(args, ExportedTextMap(number, record));
    return 0;
}

int RunImport(const TArgs& args)
{
    const std::filesystem::path input = args.Positional[0];
    const int forcedNumber = args.Has("--stage") ? ParseStageNumber(args.Get("--stage", "")) : -1;
    const auto file = StageFileArg(args);
    const std::optional<TImportedStage> stage = ImportedTextMap(ReadTextMapBytes(input));
    if (!stage)
        throw TToolError(input.string() + ": no stage header, nothing written");
    const int number = forcedNumber >= 0 ? forcedNumber : stage->Number;
    SaveStageRecord(file, number, stage->Record);
    return 0;
}

int RunRandom(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    TWindowlessEditor editor(number, TFormUse::Editor);  // seeded from the clock, as the editor is
    if (args.Has("--seed"))
        RandomSeed = static_cast<std::uint32_t>(ParseNumber(args.Get("--seed", ""), 0, UINT32_MAX, "seed"));
    editor.Form.GenerateRandomStage();
    CheckOutputIsNotStageFile(args, StageFileArg(args));
    WriteOutput(args, editor.Form.ExportTextMap());
    return 0;
}

int RunNew(const TArgs& args)
{
    const auto file = StageFileArg(args);
    const int count = static_cast<int>(
        args.Has("--count") ? ParseNumber(args.Get("--count", ""), 0, MaxStageNumber + 1, "record count") : 1);
    StageRecord empty;
    TMainForm::EmptyStage(empty);
    const TWriteResult created = CreateStageFile(file, count, empty);
    if (created.AlreadyExists)
        throw TToolError(file.string() + " already exists");
    if (!created)
        throw TToolError("cannot create " + file.string() + ": " + created.Error);
    return 0;
}

int RunRender(const TArgs& args)
{
    const int number = ParseStageNumber(args.Positional[0]);
    if (!args.Has("-o"))
        throw TUsageError("-o OUT.png is required");
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    RenderStagePreview(number, file, args.Get("-o", ""));
    return 0;
}

int RunSheet(const TArgs& args)
{
    if (!args.Has("-o"))
        throw TUsageError("-o OUT.png is required");
    TSheetOptions options;
    if (args.Has("--columns"))
        options.Columns = static_cast<int>(ParseNumber(args.Get("--columns", ""), 1, MaxFileRecords, "columns"));
    if (args.Has("--scale")) {
        const std::string scale = args.Get("--scale", "");
        if (scale != "1" && scale != "2" && scale != "4" && scale != "8")
            throw TUsageError("scale must be 1, 2, 4 or 8, not \"" + scale + "\"");
        options.Scale = scale[0] - '0';
    }
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    const TStageRecords records =
        ReadAllRecords(file, MaxFileRecords, "a sheet shows at most " + std::to_string(MaxFileRecords));
    const TSheet sheet = MakeSheet(records, file.parent_path(), options);
    for (const std::string& problem : sheet.PictureProblems)
        std::fprintf(stderr, "stagetool sheet: %s\n", problem.c_str());
    // Fast compression: a sheet is large, and speed matters more than bytes here.
    WritePngFile(args.Get("-o", ""), sheet.Pixels, sheet.Layout.Width, sheet.Layout.Height, "the sheet", 1);
    return 0;
}

// Exit 1 when any stage has an error; warnings and notes alone exit 0.
int RunCheck(const TArgs& args)
{
    const auto file = StageFileArg(args);
    const TStageRecords records =
        ReadAllRecords(file, MaxFileRecords, "check reads at most " + std::to_string(MaxFileRecords));
    if (records.TrailingBytes > 0)
        std::fprintf(stderr, "stagetool check: the last %lld bytes of %s are no whole record and are not checked\n",
                     static_cast<long long>(records.TrailingBytes), file.string().c_str());
    const TCheckReport report = CheckRecords(records.Records, file.parent_path());
    const bool json = args.Has("--json");
    const std::string text = json ? CheckReportJson(report) : CheckReportText(report);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        throw TToolError("cannot write to standard output");
    return report.Count(TSeverity::Error) > 0 ? ExitError : 0;
}

// Every whole record N as DIR/NN.txt, each exactly what `export N` writes.
// A file of more than 100 records is refused whole: records past 99 have no
// two-digit name and would be lost. What a text map cannot carry is warned
// about per stage. Every file is tried; a failure is reported at the end.
int RunUnpack(const TArgs& args)
{
    const std::filesystem::path dir = args.Positional[0];
    const auto file = StageFileArg(args);
    const TStageRecords records = ReadAllRecords(
        file, MaxStageNumber + 1, "text maps are named 00..99, so records past 99 would be lost; nothing written");
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir, error))
        throw TToolError("cannot make the folder " + dir.string() + (error ? ": " + error.message() : ""));

    const int count = static_cast<int>(records.Records.size());
    std::vector<std::string> texts;
    for (int n = 0; n < count; ++n) {
        const StageRecord& record = records.Records[static_cast<std::size_t>(n)];
        texts.push_back(ExportedTextMap(n, record));
        std::string reasons;
        for (const std::string& loss : TextMapLosses(record, texts.back()))
            reasons += (reasons.empty() ? "" : "; ") + loss;
        if (!reasons.empty())
            std::fprintf(stderr, "stagetool unpack: stage %02d will not come back byte for byte: %s\n", n,
                         reasons.c_str());
    }
    if (records.TrailingBytes > 0)
        std::fprintf(stderr, "stagetool unpack: the last %lld bytes of %s are no whole record and are not unpacked\n",
                     static_cast<long long>(records.TrailingBytes), file.string().c_str());
    for (int n = count; n <= MaxStageNumber; ++n) {
        const auto stale = dir / TextMapName(n);
        if (std::filesystem::exists(std::filesystem::symlink_status(stale, error)))
            std::fprintf(stderr, "stagetool unpack: %s is past the last record; pack will add it back\n",
                         stale.string().c_str());
    }

    CheckTextMapTargets(dir, count, file);
    int failed = 0;
    std::string firstFailure;
    for (int n = 0; n < count; ++n) {
        const auto target = dir / TextMapName(n);
        const TWriteResult written = SafeWriteFile(target, texts[static_cast<std::size_t>(n)]);
        if (!written && failed++ == 0)
            firstFailure = target.string() + ": " + written.Error;
    }
    if (failed > 0)
        throw TToolError("cannot write " + std::to_string(failed) + " of " + std::to_string(count)
                         + " text maps; the first: " + firstFailure);
    return 0;
}

// F from DIR/NN.txt, each read as `import` reads it, at its file's number;
// empty records where a number has no file. F is replaced only when every
// file was read whole (a map cut short is refused, though import would take
// it); on any error nothing is written.
int RunPack(const TArgs& args)
{
    const std::filesystem::path dir = args.Positional[0];
    const auto file = StageFileArg(args);
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        throw TToolError(dir.string() + " is no folder");
    const std::map<int, std::filesystem::path> maps = NumberedFilesIn(dir, ".txt", "pack");
    if (maps.empty())
        throw TToolError("no NN.txt text maps in " + dir.string() + "; nothing written");

    StageRecord empty;
    TMainForm::EmptyStage(empty);
    const int count = maps.rbegin()->first + 1;
    std::vector<StageRecord> records(static_cast<std::size_t>(count), empty);
    int failed = 0;
    for (const auto& [number, path] : maps) {
        std::string problem;
        const TTextMapRead read = ReadTextMapFile(path);
        if (!read) {
            problem = read.Error;
        } else if (const std::optional<TImportedStage> stage = ImportedTextMap(read.Bytes); !stage) {
            problem = "no stage header";
        } else if (stage->Number != number) {
            problem = "its header is for stage " + std::to_string(stage->Number) + ", not " + std::to_string(number);
        } else if (const std::string missing = ReadTextMap(NormaliseTextLines(read.Bytes))->FirstMissingLine;
                   !missing.empty()) {
            // import takes what there is of a map; a whole file of stages is replaced only by whole maps.
            problem = "it is cut short: it has no " + missing + " line";
        } else {
            records[static_cast<std::size_t>(number)] = stage->Record;
            continue;
        }
        std::fprintf(stderr, "stagetool pack: %s: %s\n", path.string().c_str(), problem.c_str());
        ++failed;
    }
    if (failed > 0)
        throw TToolError(std::to_string(failed) + " of " + std::to_string(maps.size())
                         + " text maps could not be read; nothing written");
    WriteWholeStageFile(file, records);
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
        {"sheet",
         "sheet [--file F] -o OUT.png [--columns C] [--scale 1|2|4|8]",
         {"--file", "-o", "--columns", "--scale"},
         0,
         0,
         RunSheet},
        {"check", "check [--file F] [--json]", {"--file"}, 0, 0, RunCheck, {"--json"}},
        {"unpack", "unpack [--file F] DIR", {"--file"}, 1, 1, RunUnpack},
        {"pack", "pack DIR [--file F]", {"--file"}, 1, 1, RunPack},
        {"tiled-export", "tiled-export [--file F] DIR", {"--file"}, 1, 1, RunTiledExport},
        {"tiled-import",
         "tiled-import [--file F] [--stage N] DIR|FILE.tmx ...",
         {"--file", "--stage"},
         1,
         MaxTiledImportInputs,
         RunTiledImport},
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
    UseWithoutWindows();
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
            std::fprintf(stderr, "stagetool %s: %s (usage: stagetool %s)\n", command.Name, error.what(), command.Usage);
            return ExitUsage;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "stagetool %s: %s\n", command.Name, error.what());
            return ExitError;
        }
    }
    std::fprintf(stderr, "stagetool: unknown command \"%s\" (try stagetool --help)\n", argv[1]);
    return ExitUsage;
}
