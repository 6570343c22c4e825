#include "cli/TiledSet.h"

#include "art/ArtData.h"
#include "cli/TextMapSet.h"
#include "cli/ToolArgs.h"
#include "engine/Graphics.h"
#include "platform/PngEncode.h"
#include "stage/StageRules.h"
#include "storage/FileLookup.h"
#include "storage/TiledProperties.h"

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace {

// The path from `from` to `to`, both taken from the current folder; `to` as
// it is when no relative path leads there.
std::string RelativePath(const fs::path& to, const fs::path& from)
{
    const fs::path target = fs::absolute(to).lexically_normal();
    const fs::path relative = target.lexically_relative(fs::absolute(from).lexically_normal());
    return (relative.empty() ? target : relative).generic_string();
}

}  // namespace

TTiledStage TiledStageOf(const StageRecord& record, const fs::path& stageFolder, const fs::path& mapFolder)
{
    TTiledStage stage;
    stage.Stage = AppliedStage(record);
    ComputeShadows(stage.Stage, stage.Shadows);

    const std::string name = stage.Stage.BG_Bitmap.Str();
    if (!name.empty()) {
        const TPictureLookup lookup = LookUpPicture(stageFolder, name);
        std::string inMap = name;
        std::replace(inMap.begin(), inMap.end(), '\\', '/');
        const fs::path picture =
            lookup.Outcome == TPictureLookup::TOutcome::NotFound ? stageFolder / "Map" / inMap : lookup.Path;
        stage.Picture = RelativePath(picture, mapFolder);
        stage.PictureShown = lookup.Outcome == TPictureLookup::TOutcome::Found;
    }
    return stage;
}

std::vector<std::string> TiledLosses(const StageRecord& record, const std::string& map)
{
    std::vector<std::string> losses = StoredLosses(record);
    for (const auto& [name, text] : StoredStrings(record))
        if (HasControlBytes(*text))
            losses.push_back(std::string(name) + " holds control bytes, which a map cannot hold and leaves out");
    if (const int outside = CellsOutside(record, EmptyCode, 63); outside > 0)
        losses.push_back(Counted(outside, "cell") + Holds(outside)
                         + " codes outside -1..63, which have no tile and are written as empty cells");

    // Whatever else the map cannot carry shows in the round trip itself.
    const TTiledMapRead back = ReadTiledMap(map);
    const bool same = back && [&] {
        const StageRecord read = TiledMapRecord(back.Map, 0);
        return std::memcmp(&read, &record, sizeof record) == 0;
    }();
    if (!same && losses.empty())
        losses.push_back("its map reads back differently");
    return losses;
}

StageRecord TiledMapRecord(TTextMap map, int number)
{
    map.StageNumber = number;
    return BuildImportedStage(map).Record;
}

std::string TileImagePng()
{
    TDIB tiles;
    tiles.LoadFromPackedDIB(ArtBack.Data, ArtBack.Size);
    const TImageView view = tiles.View();
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(view.Width) * static_cast<std::size_t>(view.Height));
    for (int y = 0; y < view.Height; ++y)
        for (int x = 0; x < view.Width; ++x)
            pixels.push_back(view.RGBAt(x, y));
    return EncodePng(pixels, view.Width, view.Height).value_or(std::string());
}
