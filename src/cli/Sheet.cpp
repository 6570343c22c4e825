#include "cli/Sheet.h"

#include "cli/Render.h"
#include "editor/Main.h"
#include "editor/StageRenderer.h"
#include "platform/TextRenderer.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr const char* LabelFont = "DejaVu Sans";
constexpr TColor NumberColor = RGBColor(255, 208, 96);  // amber
constexpr TColor TotalColor = RGBColor(160, 192, 255);  // light blue
constexpr TColor CaptionColor = RGBColor(224, 224, 224);
constexpr TColor MissingColor = RGBColor(160, 160, 160);
constexpr std::uint32_t SheetPixel = 0x202020;    // 0x00RRGGBB
constexpr std::uint32_t MissingPixel = 0x383838;  // an empty cell's picture area
constexpr std::uint32_t HatchPixel = 0x4A4A4A;

int LabelPointSize(int scale)
{
    return scale >= 8 ? 7 : scale >= 4 ? 8 : 10;
}

// The caption as the editor's title shows it (each byte read as Latin-1, in
// UTF-8), with control bytes, the line break mark among them, as spaces.
std::string CaptionText(const TShortString& caption)
{
    std::string printable = caption.Str();
    for (char& ch : printable) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
            ch = ' ';
    }
    std::string out;
    AppendLatin1(out, printable.data(), printable.size());
    return out;
}

// Whole UTF-8 characters of `text` up to `bytes`.
std::string Utf8Prefix(const std::string& text, std::size_t bytes)
{
    while (bytes > 0 && bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
        --bytes;
    return text.substr(0, bytes);
}

// `text`, or its longest beginning with "..." after it, within `width` pixels.
std::string Fitted(const std::string& text, int width, int pointSize)
{
    if (QtTextExtent(text, LabelFont, pointSize).X <= width)
        return text;
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (QtTextExtent(Utf8Prefix(text, middle) + "...", LabelFont, pointSize).X <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return Utf8Prefix(text, low) + "...";
}

// Draws text into the rectangle (left, top, width, height) of the sheet,
// clipped to it.
void Text(TSheet& sheet, int left, int top, int width, int height, int x, const std::string& text, TColor color,
          int pointSize)
{
    if (width <= 0 || height <= 0)
        return;
    auto* corner = reinterpret_cast<std::uint8_t*>(sheet.Pixels.data()
                                                   + static_cast<std::size_t>(top) * sheet.Layout.Width + left);
    PaintTextWithQt(corner, width, height, static_cast<std::ptrdiff_t>(sheet.Layout.Width) * 4, TPixelFormat::XRGB8888,
                    x, 0, text, LabelFont, pointSize, color, nullptr);
}

void CopyPicture(TSheet& sheet, int index, const std::vector<std::uint32_t>& picture)
{
    const TSheetLayout& l = sheet.Layout;
    for (int y = 0; y < l.PictureHeight; ++y)
        std::copy_n(picture.begin() + static_cast<std::ptrdiff_t>(y) * l.CellWidth, l.CellWidth,
                    sheet.Pixels.begin() + static_cast<std::ptrdiff_t>(l.PictureTop(index) + y) * l.Width
                        + l.PictureLeft(index));
}

// A cell with no stage: a hatched grey area.
void EmptyPicture(TSheet& sheet, int index)
{
    const TSheetLayout& l = sheet.Layout;
    for (int y = 0; y < l.PictureHeight; ++y)
        for (int x = 0; x < l.CellWidth; ++x)
            sheet.Pixels[static_cast<std::size_t>(l.PictureTop(index) + y) * static_cast<std::size_t>(l.Width)
                         + static_cast<std::size_t>(l.PictureLeft(index) + x)] =
                (x + y) % 8 == 0 ? HatchPixel : MissingPixel;
}

// Two lines: the number and the enemy total, then the caption.
void Label(TSheet& sheet, int index, int stage, const std::string& total, const std::string& caption,
           TColor captionColor)
{
    const TSheetLayout& l = sheet.Layout;
    const int pointSize = LabelPointSize(l.Scale);
    const int left = l.PictureLeft(index);
    const int top = l.PictureTop(index) + l.PictureHeight + 1;
    const int line = (l.LabelHeight - 1) / 2;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", stage);
    Text(sheet, left, top, l.CellWidth, line, 0, number, NumberColor, pointSize);
    if (!total.empty()) {
        const int width = QtTextExtent(total, LabelFont, pointSize).X;
        Text(sheet, left, top, l.CellWidth, line, l.CellWidth - width, total, TotalColor, pointSize);
    }
    Text(sheet, left, top + line, l.CellWidth, line, 0, Fitted(caption, l.CellWidth, pointSize), captionColor,
         pointSize);
}

}  // namespace

TSheetLayout SheetLayout(int cells, const TSheetOptions& options)
{
    TSheetLayout l;
    const int scale = std::max(options.Scale, 1);
    l.Scale = scale;
    l.Columns = std::max(1, std::min(options.Columns, std::max(cells, 1)));
    l.Rows = (cells + l.Columns - 1) / l.Columns;
    l.CellWidth = DisplayWidth / scale;
    l.PictureHeight = DisplayHeight / scale;
    l.LabelHeight = 2 * QtTextExtent("0Ag", LabelFont, LabelPointSize(scale)).Y + 1;
    l.Margin = scale >= 8 ? 4 : 6;
    l.Width = l.Margin + l.Columns * (l.CellWidth + l.Margin);
    l.Height = l.Margin + l.Rows * (l.PictureHeight + l.LabelHeight + l.Margin);
    return l;
}

TSheet NewSheet(int cells, const TSheetOptions& options)
{
    TSheet sheet;
    sheet.Layout = SheetLayout(cells, options);
    const TSheetLayout& l = sheet.Layout;
    if (static_cast<std::int64_t>(l.Width) * l.Height > MaxSheetPixels)
        throw std::runtime_error("the sheet would be " + std::to_string(l.Width) + " x " + std::to_string(l.Height)
                                 + " pixels; use a larger --scale or fewer records");
    sheet.Pixels.assign(static_cast<std::size_t>(l.Width) * static_cast<std::size_t>(l.Height), SheetPixel);
    return sheet;
}

void PutSheetCell(TSheet& sheet, int index, const std::vector<std::uint32_t>& picture, int number,
                  const std::string& note, const TShortString& caption)
{
    CopyPicture(sheet, index, Downscale(picture, DisplayWidth, DisplayHeight, sheet.Layout.Scale));
    Label(sheet, index, number, note, CaptionText(caption), CaptionColor);
}

TSheet MakeSheet(const TStageRecords& records, const std::filesystem::path& pictureFolder, const TSheetOptions& options)
{
    const int whole = static_cast<int>(records.Records.size());
    const int cells = whole + (records.TrailingBytes > 0 ? 1 : 0);
    if (cells == 0)
        throw std::runtime_error("the file holds no record; nothing to draw");
    TSheet sheet = NewSheet(cells, options);

    TPictureProblems problems;
    TStageRenderer renderer(pictureFolder);
    for (int index = 0; index < whole; ++index) {
        const StageRecord& record = records.Records[static_cast<std::size_t>(index)];
        const TRenderedStage stage = renderer.Render(record);
        char total[32];
        std::snprintf(total, sizeof total, "EC=%2.2d", static_cast<int>(SumEnemyCounts(record.EnemyCount)));
        PutSheetCell(sheet, index, stage.Pixels, index, total, record.Caption);
        problems.Add(record.BG_Bitmap.Str(), stage.PictureError, index);
    }
    if (cells > whole) {
        EmptyPicture(sheet, whole);
        Label(sheet, whole, whole, "", "no whole record (" + std::to_string(records.TrailingBytes) + " bytes)",
              MissingColor);
    }
    sheet.PictureProblems = problems.Lines();
    return sheet;
}
