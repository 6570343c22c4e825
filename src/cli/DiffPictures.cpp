#include "cli/DiffPictures.h"

#include "cli/Render.h"
#include "cli/Sheet.h"
#include "cli/TextMapSet.h"
#include "cli/ToolArgs.h"
#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "storage/RecordDiff.h"

#include <ostream>
#include <system_error>

namespace {

constexpr std::uint32_t OutlinePixel = 0xFF00FF;  // magenta: no tile of the game's art uses it
constexpr int OutlineWidth = 2;                   // still a line at a quarter of the size
constexpr int CellPixels = DisplayWidth / FieldColumns;

std::size_t PixelIndex(int x, int y)
{
    return static_cast<std::size_t>(y) * DisplayWidth + static_cast<std::size_t>(x);
}

// Two parts of `old` to three of `now`, per channel.
std::uint32_t Faint(std::uint32_t old, std::uint32_t now)
{
    std::uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8)
        mixed |= ((((old >> shift) & 255) * 2 + ((now >> shift) & 255) * 3) / 5) << shift;
    return mixed;
}

void MarkCell(std::vector<std::uint32_t>& pixels, const std::vector<std::uint32_t>* before, const TCellChange& cell)
{
    const int left = cell.Column * CellPixels;
    const int top = cell.Row * CellPixels;
    const bool ghost = before && cell.OldFG != EmptyCode && cell.NewFG == EmptyCode;
    for (int y = top; y < top + CellPixels; ++y)
        for (int x = left; x < left + CellPixels; ++x) {
            const bool edge = x < left + OutlineWidth || x >= left + CellPixels - OutlineWidth || y < top + OutlineWidth
                              || y >= top + CellPixels - OutlineWidth;
            std::uint32_t& pixel = pixels[PixelIndex(x, y)];
            if (edge)
                pixel = OutlinePixel;
            else if (ghost)
                pixel = Faint((*before)[PixelIndex(x, y)], pixel);
        }
}

}  // namespace

void WriteDiffPictures(const TStageSetDiff& diff, const std::filesystem::path& dir,
                       const std::filesystem::path& pictureFolder, const std::vector<std::filesystem::path>& stageFiles,
                       std::ostream& err)
{
    std::vector<TStageChange> drawn;
    std::vector<std::string> names;
    for (const TStageChange& change : diff.Changes)
        if (change.Kind == TStageChangeKind::Changed || change.Kind == TStageChangeKind::Added) {
            drawn.push_back(change);
            names.push_back(TwoDigits(change.B) + ".png");
        }
    if (drawn.empty())
        return;
    names.push_back("changes.png");
    MakeOutputFolder(dir);
    for (const std::filesystem::path& stageFile : stageFiles)
        CheckFolderTargets(dir, names, stageFile);

    const int cells = static_cast<int>(drawn.size());
    TSheet sheet = NewSheet(cells, cells <= 40 ? TSheetOptions{4, 2} : TSheetOptions{10, 4});
    TStageRenderer renderer(pictureFolder);
    TPictureProblems problems;
    std::vector<TCellChange> changed;
    for (int index = 0; index < cells; ++index) {
        const TStageChange& change = drawn[static_cast<std::size_t>(index)];
        const StageRecord& record = diff.B[static_cast<std::size_t>(change.B)];
        TRenderedStage stage = renderer.Render(record);
        problems.Add(record.BG_Bitmap.Str(), stage.PictureError, change.B);
        std::string note = "added";
        if (change.Kind == TStageChangeKind::Changed) {
            const StageRecord& before = diff.A[static_cast<std::size_t>(change.A)];
            const std::vector<std::uint32_t> old = renderer.Render(before).Pixels;
            DiffCells(before, record, changed);
            for (const TCellChange& cell : changed)
                MarkCell(stage.Pixels, &old, cell);
            note = Counted(static_cast<int>(changed.size()), "cell");
        }
        WritePngFile(dir / names[static_cast<std::size_t>(index)], stage.Pixels, DisplayWidth, DisplayHeight,
                     "the picture of stage " + TwoDigits(change.B));
        PutSheetCell(sheet, index, stage.Pixels, change.B, note, record.Caption);
    }
    for (const std::string& problem : problems.Lines())
        err << "stagetool diff: " << problem << "\n";
    WritePngFile(dir / "changes.png", sheet.Pixels, sheet.Layout.Width, sheet.Layout.Height, "the changes", 1);
}
