#pragma once
// stagetool sheet: every record of a stage file at a glance, in one picture.

#include "storage/StageFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TSheetOptions {
    int Columns = 10;  // cells per row, 1 or more
    int Scale = 4;     // 1, 2, 4 or 8: each stage is 640 x 480 divided by it
};

// Where things are on a sheet of `cells` cells: each cell is a stage's
// picture with its label strip below, Margin pixels apart and from the edge.
struct TSheetLayout {
    int Scale = 1;
    int Columns = 0;
    int Rows = 0;
    int CellWidth = 0;      // the stage's picture: 640 / scale
    int PictureHeight = 0;  // 480 / scale
    int LabelHeight = 0;    // two lines of text
    int Margin = 0;
    int Width = 0;
    int Height = 0;

    // Top-left pixel of cell `index`'s picture; its label starts PictureHeight below.
    int PictureLeft(int index) const { return Margin + (index % Columns) * (CellWidth + Margin); }
    int PictureTop(int index) const { return Margin + (index / Columns) * (PictureHeight + LabelHeight + Margin); }
};

TSheetLayout SheetLayout(int cells, const TSheetOptions& options);

// The most pixels a sheet may have (about 256 MB of them); a larger one is
// refused with advice rather than exhausting the memory.
constexpr std::int64_t MaxSheetPixels = std::int64_t{64} << 20;

struct TSheet {
    TSheetLayout Layout;
    std::vector<std::uint32_t> Pixels;  // Layout.Width x Layout.Height, 0x00RRGGBB
    // The background pictures that could not be shown, one line each:
    // "name: why (stages 03, 07)".
    std::vector<std::string> PictureProblems;
};

// A sheet of `cells` cells, all of the sheet's grey. Raises
// std::runtime_error when it would be too large.
TSheet NewSheet(int cells, const TSheetOptions& options);

// Puts `picture` (a stage at real size, 640 x 480) into cell `index`,
// reduced by the sheet's scale, labelled with `number` in two digits, `note`
// at the right of the first line and the caption (as MakeSheet labels it)
// on the second.
void PutSheetCell(TSheet& sheet, int index, const std::vector<std::uint32_t>& picture, int number,
                  const std::string& note, const TShortString& caption);

// Draws every whole record of `records` as `stagetool render` draws it,
// reduced by the scale (the average of each block, so thin walls stay
// visible), in order, Columns to a row; each labelled with its two-digit
// number, its enemy total ("EC=07", as the option button shows it) and its
// caption (bytes read as the editor's title reads them, a line break or
// other control byte as a space, cut with "..." to fit). A trailing piece
// of the file gets a labelled empty cell of its own. Pictures come from
// "Map" inside `pictureFolder`. Raises std::runtime_error when there is
// nothing to draw or the sheet would be too large.
TSheet MakeSheet(const TStageRecords& records, const std::filesystem::path& pictureFolder,
                 const TSheetOptions& options);
