// The sheet's pixels: each cell is the stage as rendered, averaged down; the
// trailing piece is an empty cell; the bounds hold.
#include "cli/Sheet.h"
#include "editor/Main.h"
#include "editor/StageRenderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

TStageRecords Examples()
{
    return ReadStageRecords(fs::path(STAGE_TEST_DATA) / ".." / ".." / "examples" / "Stage.Dat", 100);
}

std::vector<std::uint32_t> Cell(const TSheet& sheet, int index)
{
    const TSheetLayout& l = sheet.Layout;
    std::vector<std::uint32_t> cell;
    for (int y = 0; y < l.PictureHeight; ++y)
        for (int x = 0; x < l.CellWidth; ++x)
            cell.push_back(sheet.Pixels[static_cast<std::size_t>(l.PictureTop(index) + y) * l.Width
                                        + static_cast<std::size_t>(l.PictureLeft(index) + x)]);
    return cell;
}

}  // namespace

TEST(Sheet, EachCellIsTheStageAsRenderedAveragedDown)
{
    TStageRecords records = Examples();
    ASSERT_TRUE(records.Read);
    ASSERT_EQ(records.Records.size(), 5u);
    records.TrailingBytes = 100;
    const fs::path folder = fs::path(STAGE_TEST_DATA) / ".." / ".." / "examples";
    for (const int scale : {1, 4, 8}) {
        const TSheet sheet = MakeSheet(records, folder, TSheetOptions{3, scale});
        const TSheetLayout& l = sheet.Layout;
        EXPECT_EQ(l.Columns, 3);
        EXPECT_EQ(l.Rows, 2);
        EXPECT_EQ(l.CellWidth, 640 / scale);
        EXPECT_EQ(l.Width, l.Margin + 3 * (l.CellWidth + l.Margin));
        ASSERT_EQ(sheet.Pixels.size(), static_cast<std::size_t>(l.Width) * l.Height);
        TStageRenderer renderer(folder);
        for (int i = 0; i < 5; ++i) {
            const auto expected = Downscale(renderer.Render(records.Records[static_cast<std::size_t>(i)]).Pixels,
                                            DisplayWidth, DisplayHeight, scale);
            EXPECT_TRUE(Cell(sheet, i) == expected) << "stage " << i << " at scale " << scale;
        }
        // The trailing piece: an empty cell in two greys.
        for (const std::uint32_t p : Cell(sheet, 5))
            ASSERT_TRUE(p == 0x383838 || p == 0x4A4A4A) << std::hex << p;
        // The margins stay the sheet's colour, and every label writes something.
        EXPECT_EQ(sheet.Pixels[0], 0x202020u);
        for (int i = 0; i < 6; ++i) {
            int ink = 0;
            for (int y = 0; y < l.LabelHeight; ++y)
                for (int x = 0; x < l.CellWidth; ++x)
                    ink += sheet.Pixels[static_cast<std::size_t>(l.PictureTop(i) + l.PictureHeight + y) * l.Width
                                        + static_cast<std::size_t>(l.PictureLeft(i) + x)]
                           != 0x202020u;
            EXPECT_GT(ink, 20) << "label " << i;
        }
        EXPECT_TRUE(sheet.PictureProblems.empty());
    }
}

TEST(Sheet, RefusesNothingToDrawAndSheetsTooLarge)
{
    TStageRecords none;
    none.Read = true;
    EXPECT_THROW(MakeSheet(none, ".", TSheetOptions{}), std::runtime_error);
    TStageRecords many;
    many.Read = true;
    many.Records.resize(1000);
    EXPECT_THROW(MakeSheet(many, ".", TSheetOptions{10, 1}), std::runtime_error);
    // A trailing piece alone is one empty cell.
    TStageRecords piece;
    piece.Read = true;
    piece.TrailingBytes = 1;
    EXPECT_EQ(MakeSheet(piece, ".", TSheetOptions{}).Layout.Columns, 1);
}
