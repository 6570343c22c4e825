#include "cli/TiledPictures.h"

#include "art/ArtData.h"
#include "cli/Render.h"
#include "cli/ToolArgs.h"
#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "engine/Graphics.h"
#include "platform/PngEncode.h"
#include "stage/FieldAreas.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>

namespace {

// An embedded picture's top-left width x height pixels, placed at (x, y) on
// a canvas of canvasWidth x canvasHeight filled with `key`, as PNG.
std::string ArtPng(const TArtBlob& blob, int width, int height, int canvasWidth, int canvasHeight, int x, int y,
                   std::uint32_t key)
{
    TDIB art;
    art.LoadFromPackedDIB(blob.Data, blob.Size);
    const TImageView view = art.View();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(canvasWidth) * static_cast<std::size_t>(canvasHeight),
                                      key);
    for (int row = 0; row < std::min(height, view.Height); ++row)
        for (int column = 0; column < std::min(width, view.Width); ++column)
            pixels[static_cast<std::size_t>(y + row) * static_cast<std::size_t>(canvasWidth)
                   + static_cast<std::size_t>(x + column)] = view.RGBAt(column, row);
    return EncodePng(pixels, canvasWidth, canvasHeight).value_or(std::string());
}

std::uint32_t Pixel(const TArtKey& key)
{
    return static_cast<std::uint32_t>(key.Red) << 16 | static_cast<std::uint32_t>(key.Green) << 8 | key.Blue;
}

}  // namespace

std::string TileImagePng()
{
    return ArtPng(ArtBack, 256, 64, 256, 64, 0, 0, Pixel(ArtBackKey));
}

std::string FlagImagePng()
{
    return ArtPng(ArtFlag, 32, 32, DisplayWidth, DisplayHeight, FlagPixelX, FlagPixelY, Pixel(ArtFlagKey));
}

TTiledBackgrounds DrawTiledBackgrounds(const std::vector<StageRecord>& records,
                                       const std::filesystem::path& pictureFolder)
{
    TTiledBackgrounds backgrounds;
    TPictureProblems problems;
    std::vector<std::string> why;  // for each of Pngs, why its picture did not show
    std::map<std::tuple<std::string, std::uint32_t, std::uint8_t, std::uint8_t>, int> drawn;
    TStageRenderer renderer(pictureFolder);
    for (std::size_t n = 0; n < records.size(); ++n) {
        const StageRecord& record = records[n];
        const std::string picture = record.BG_Bitmap.Str();
        const auto [at, isNew] = drawn.emplace(std::tuple{picture, record.BG_Color, record.BG_H_Tile, record.BG_V_Tile},
                                               static_cast<int>(backgrounds.Pngs.size()));
        if (isNew) {
            const TRenderedStage background = renderer.RenderBackground(record);
            const auto png = EncodePng(background.Pixels, DisplayWidth, DisplayHeight, 1);
            if (!png)
                throw std::runtime_error("cannot encode the background of stage "
                                         + TwoDigits(static_cast<std::int64_t>(n)) + " as PNG");
            backgrounds.Pngs.push_back(*png);
            why.push_back(background.PictureError);
        }
        backgrounds.OfStage.push_back(at->second);
        problems.Add(picture, why[static_cast<std::size_t>(at->second)], static_cast<int>(n));
    }
    backgrounds.Problems = problems.Lines();
    return backgrounds;
}
