#include "cli/TiledCommands.h"

#include "cli/StageSave.h"
#include "cli/TextMapSet.h"
#include "cli/TiledPictures.h"
#include "cli/TiledSet.h"
#include "storage/SafeWrite.h"
#include "storage/TextMapFile.h"
#include "storage/TiledMap.h"
#include "storage/TiledTileset.h"
#include "storage/TiledWorld.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view MapExtension = ".tmx";

std::string Joined(const std::vector<std::string>& phrases)
{
    std::string text;
    for (const std::string& phrase : phrases)
        text += (text.empty() ? "" : "; ") + phrase;
    return text;
}

// Writes every file whole; a failure does not stop the others and is
// reported once at the end.
void WriteFiles(const std::vector<std::pair<fs::path, std::string_view>>& files)
{
    int failed = 0;
    std::string firstFailure;
    for (const auto& [path, bytes] : files) {
        const TWriteResult written = SafeWriteFile(path, bytes);
        if (!written && failed++ == 0)
            firstFailure = path.string() + ": " + written.Error;
    }
    if (failed > 0)
        throw TToolError("cannot write " + std::to_string(failed) + " of " + std::to_string(files.size())
                         + " files; the first: " + firstFailure);
}

// The files tiled-export writes beside the maps, which importing a folder
// passes over.
const std::vector<std::string_view>& ExportedBesideMaps()
{
    static const std::vector<std::string> backgrounds = [] {
        std::vector<std::string> names;
        for (int n = 0; n <= MaxStageNumber; ++n)
            names.push_back(TiledBackgroundFile(n));
        return names;
    }();
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all = {TiledTilesetFile, TiledTileImageFile, TiledFlagImageFile, TiledWorldFile};
        all.insert(all.end(), backgrounds.begin(), backgrounds.end());
        return all;
    }();
    return names;
}

struct TMapFile {
    int Number = 0;
    fs::path Path;
};

// The record of one map file, or what is wrong with it. Notes on what is
// ignored or taken in its place go to `err`.
std::string ReadMapFile(const TMapFile& file, StageRecord& record, std::ostream& err)
{
    const TTextMapRead bytes = ReadTextMapFile(file.Path, MaxTiledMapBytes, "a Tiled map");
    if (!bytes)
        return bytes.Error;
    const TTiledMapRead map = ReadTiledMap(bytes.Bytes);
    for (const std::string& note : map.Notes)
        err << "stagetool tiled-import: " << file.Path.string() << ": " << note << "\n";
    if (!map)
        return map.Error;
    record = TiledMapRecord(map.Map, file.Number);
    return {};
}

}  // namespace

int RunTiledExport(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const fs::path dir = args.Positional[0];
    const auto file = StageFileArg(args);
    const TStageRecords records = ReadAllRecords(
        file, MaxStageNumber + 1, "maps are named 00..99, so records past 99 would be lost; nothing written");
    MakeOutputFolder(dir);
    std::error_code error;

    // Everything is made first, and said and written only once no name of
    // it is a link that must not be written through.
    const std::string tiles = TileImagePng();
    const std::string flag = FlagImagePng();
    if (tiles.empty() || flag.empty())
        throw TToolError("cannot encode the tile and flag images as PNG; nothing written");
    const std::string tileset = WriteTiledTileset();
    std::vector<std::pair<fs::path, std::string_view>> files = {
        {dir / TiledTileImageFile, tiles}, {dir / TiledFlagImageFile, flag}, {dir / TiledTilesetFile, tileset}};
    const TTiledBackgrounds backgrounds = DrawTiledBackgrounds(records.Records, file.parent_path());
    std::vector<std::string> warnings = backgrounds.Problems;
    const int count = static_cast<int>(records.Records.size());
    std::vector<std::string> maps;
    maps.reserve(records.Records.size());  // the files hold views of them
    std::vector<std::pair<int, std::string>> world;
    for (int n = 0; n < count; ++n) {
        const StageRecord& record = records.Records[static_cast<std::size_t>(n)];
        maps.push_back(WriteTiledMap(TiledStageOf(record, n)));
        if (const std::string losses = Joined(TiledLosses(record, maps.back())); !losses.empty())
            warnings.push_back("stage " + TwoDigits(n) + " will not come back byte for byte: " + losses);
        world.emplace_back(n, NumberedName(n, MapExtension));
        files.emplace_back(dir / world.back().second, maps.back());
        files.emplace_back(
            dir / TiledBackgroundFile(n),
            backgrounds.Pngs[static_cast<std::size_t>(backgrounds.OfStage[static_cast<std::size_t>(n)])]);
    }
    const std::string worldFile = WriteTiledWorld(world);
    files.emplace_back(dir / TiledWorldFile, worldFile);
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files)
        names.push_back(path.filename().string());
    CheckFolderTargets(dir, names, file);
    if (records.TrailingBytes > 0)
        warnings.push_back("the last " + std::to_string(records.TrailingBytes) + " bytes of " + file.string()
                           + " are no whole record and are not exported");
    for (int n = count; n <= MaxStageNumber; ++n) {
        const fs::path stale = dir / NumberedName(n, MapExtension);
        if (fs::exists(fs::symlink_status(stale, error)))
            warnings.push_back(stale.string() + " is past the last record; importing the folder adds it back");
    }
    for (const std::string& warning : warnings)
        err << "stagetool tiled-export: " << warning << "\n";
    WriteFiles(files);
    // Losses are warnings, as unpack's are: the exit status stays 0.
    return 0;
}

int RunTiledImport(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const auto file = StageFileArg(args);
    std::vector<TMapFile> maps;
    bool oneFile = args.Positional.size() == 1;
    for (const std::string& input : args.Positional) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            oneFile = false;
            // The files tiled-export writes beside the maps are passed over.
            for (const auto& [number, path] :
                 NumberedFilesIn(input, MapExtension, "tiled-import", err, ExportedBesideMaps()))
                maps.push_back({number, path});
            continue;
        }
        const int number =
            args.Has("--stage") ? -1 : NumberedNameNumber(fs::path(input).filename().string(), MapExtension);
        if (number < 0 && !args.Has("--stage"))
            throw TUsageError("cannot tell the stage of " + input + ": name it NN.tmx (00..99) or give --stage N");
        maps.push_back({number, input});
    }
    if (args.Has("--stage")) {
        if (!oneFile)
            throw TUsageError("--stage takes one map file");
        maps[0].Number = ParseStageNumber(args.Get("--stage", ""));
    }
    if (maps.empty())
        throw TToolError("no NN.tmx maps found; nothing written");
    std::sort(maps.begin(), maps.end(), [](const TMapFile& a, const TMapFile& b) { return a.Number < b.Number; });
    for (std::size_t i = 1; i < maps.size(); ++i)
        if (maps[i].Number == maps[i - 1].Number)
            throw TToolError("stage " + NumberedName(maps[i].Number, "") + " is given twice, by "
                             + maps[i - 1].Path.string() + " and " + maps[i].Path.string() + "; nothing written");

    std::map<int, StageRecord> records;
    int failed = 0;
    for (const TMapFile& map : maps) {
        StageRecord record;
        const std::string problem = ReadMapFile(map, record, err);
        if (problem.empty()) {
            records.emplace(map.Number, record);
            continue;
        }
        if (oneFile)
            throw TToolError(map.Path.string() + ": " + problem + "; nothing written");
        err << "stagetool tiled-import: " << map.Path.string() << ": " << problem << "\n";
        ++failed;
    }
    if (failed > 0)
        throw TToolError(std::to_string(failed) + " of " + std::to_string(maps.size())
                         + " maps could not be read; nothing written");
    if (oneFile)
        ImportStageRecord(file, maps[0].Number, records.begin()->second);
    else
        ReplaceStageRecords(file, records, "tiled-import", err);
    return 0;
}
