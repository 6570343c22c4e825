#include "cli/TextMapCommands.h"

#include "cli/StageSave.h"
#include "cli/TextMapSet.h"
#include "storage/SafeWrite.h"
#include "storage/StageFile.h"
#include "storage/StageSetFile.h"
#include "storage/TextMap.h"
#include "storage/TextMapFile.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// A text map file's bytes, or an error naming it.
std::string ReadTextMapBytes(const std::filesystem::path& path)
{
    TTextMapRead read = ReadTextMapFile(path);
    if (!read)
        throw TToolError("cannot read " + path.string() + ": " + read.Error);
    return std::move(read.Bytes);
}

// Replaces the stage file by `records`, the stages the maps of `dir` hold
// (`mapped` the numbers with a map), under the file's lock from reading it
// to the rename. The file's stages that no map names and that are not empty
// would be lost: each is named on `err`, and unless `prune` nothing is
// written.
void PackStageFile(const std::filesystem::path& file, const std::filesystem::path& dir,
                   const std::vector<StageRecord>& records, const std::map<int, std::filesystem::path>& mapped,
                   bool prune, std::ostream& err)
{
    std::vector<std::string> unmapped;
    std::optional<TStageFilePiece> dropped;
    bool lost = false;  // refused for the stages it would lose
    const TWriteResult written = ReplaceStageFile(file, MaxStageFileRecords,
                                                  [&](const TStageRecords& current) {
                                                      unmapped.clear();
                                                      dropped = StageFilePieceOf(current);
                                                      for (std::size_t n = 0; n < current.Records.size(); ++n)
                                                          if (!mapped.count(static_cast<int>(n))
                                                              && !IsEmptyRecord(current.Records[n]))
                                                              unmapped.push_back(
                                                                  "stage " + TwoDigits(static_cast<std::int64_t>(n))
                                                                  + " of " + file.string() + " ("
                                                                  + ListedText(current.Records[n].Caption, true)
                                                                  + ") has no text map in " + dir.string());
                                                      lost = !unmapped.empty() && !prune;
                                                      if (lost)
                                                          return TStageFileContent{{}, Counted(static_cast<int>(unmapped.size()), "stage")
                                             + " would be lost; nothing written (pack --prune drops them)"};
                                                      return TStageFileContent{StageFileBytes(records), {}};
                                                  });
    for (const std::string& stage : unmapped)
        err << "stagetool pack: " << stage << (written ? "; dropped" : "") << "\n";
    if (!written)
        throw TToolError(lost ? written.Error : "cannot write " + file.string() + ": " + written.Error);
    NameDroppedPiece(file, dropped, "pack", err);
}

}  // namespace

int RunExport(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    const int number = ParseStageNumber(args.Positional[0]);
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    // As the editor loads it (the file found ignoring case), then as it exports.
    StageRecord record;
    if (const TRecordResult read = ReadStageRecord(file, number, record); !read)
        throw TToolError("cannot read stage " + std::to_string(number) + " from " + file.string() + ": " + read.Error);
    WriteOutput(args, ExportedTextMap(number, record), out);
    return 0;
}

int RunImport(const TArgs& args, std::ostream& /*out*/, std::ostream& /*err*/)
{
    const std::filesystem::path input = args.Positional[0];
    const int forcedNumber = args.Has("--stage") ? ParseStageNumber(args.Get("--stage", "")) : -1;
    const auto file = StageFileArg(args);
    const std::optional<TImportedStage> stage = ImportedTextMap(ReadTextMapBytes(input));
    if (!stage)
        throw TToolError(input.string() + ": no stage header, nothing written");
    const int number = forcedNumber >= 0 ? forcedNumber : stage->Number;
    ImportStageRecord(file, number, stage->Record);
    return 0;
}

int RunUnpack(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const std::filesystem::path dir = args.Positional[0];
    const auto file = StageFileArg(args);
    const TStageRecords records = ReadAllRecords(
        file, MaxStageNumber + 1, "text maps are named 00..99, so records past 99 would be lost; nothing written");
    MakeOutputFolder(dir);
    std::error_code error;

    const int count = static_cast<int>(records.Records.size());
    std::vector<std::string> texts;
    for (int n = 0; n < count; ++n) {
        const StageRecord& record = records.Records[static_cast<std::size_t>(n)];
        texts.push_back(ExportedTextMap(n, record));
        std::string reasons;
        for (const std::string& loss : TextMapLosses(record, texts.back()))
            reasons += (reasons.empty() ? "" : "; ") + loss;
        if (!reasons.empty())
            err << "stagetool unpack: stage " << TwoDigits(n) << " will not come back byte for byte: " << reasons
                << "\n";
    }
    if (records.TrailingBytes > 0)
        err << "stagetool unpack: the last " << records.TrailingBytes << " bytes of " << file.string()
            << " are no whole record and are not unpacked\n";
    for (int n = count; n <= MaxStageNumber; ++n) {
        const auto stale = dir / TextMapName(n);
        if (std::filesystem::exists(std::filesystem::symlink_status(stale, error)))
            err << "stagetool unpack: " << stale.string() << " is past the last record; pack will add it back\n";
    }

    std::vector<std::string> names;
    for (int n = 0; n < count; ++n)
        names.push_back(TextMapName(n));
    CheckFolderTargets(dir, names, file);
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

int RunPack(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const std::filesystem::path dir = args.Positional[0];
    const auto file = StageFileArg(args);
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        throw TToolError(dir.string() + " is no folder");
    const std::map<int, std::filesystem::path> maps = NumberedFilesIn(dir, ".txt", "pack", err);
    if (maps.empty())
        throw TToolError("no NN.txt text maps in " + dir.string() + "; nothing written");

    StageRecord empty;
    EmptyStage(empty);
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
        err << "stagetool pack: " << path.string() << ": " << problem << "\n";
        ++failed;
    }
    if (failed > 0)
        throw TToolError(std::to_string(failed) + " of " + std::to_string(maps.size())
                         + " text maps could not be read; nothing written");
    PackStageFile(file, dir, records, maps, args.Has("--prune"), err);
    return 0;
}
