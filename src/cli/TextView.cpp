#include "cli/TextView.h"

#include "cli/StageSetInput.h"
#include "cli/StageText.h"
#include "cli/ToolArgs.h"
#include "storage/TextMap.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {

std::string_view Bytes(const void* at, std::size_t size)
{
    return std::string_view(static_cast<const char*>(at), size);
}

void AppendText(std::string& out, const char* key, const TShortString& text)
{
    out += key + std::string("=") + QuotedText(text) + "\n";
}

// What of a string the text map does not carry: a length byte over 63 and
// bytes past the text (at their offsets in the string's 64 bytes).
void AppendTextTail(std::string& out, const char* key, const TShortString& text)
{
    if (text.Length > MaxShortString)
        out += key + std::string(" length=") + std::to_string(text.Length) + "\n";
    const std::size_t length = std::min<std::size_t>(text.Length, MaxShortString);
    const std::string tail = NonZeroBytes(Bytes(text.Chars + length, MaxShortString - length), 1 + length);
    if (!tail.empty())
        out += key + std::string(" tail=") + tail + "\n";
}

void AppendCounts(std::string& out, const char* key, const StageRecord& record, int from, int to)
{
    out += key;
    for (int slot = from; slot < to; ++slot)
        out += (slot == from ? "" : ",") + std::to_string(record.EnemyCount[slot]);
    out += "\n";
}

void AppendBlock(std::string& out, const char* key, std::string_view bytes)
{
    if (const std::string set = NonZeroBytes(bytes); !set.empty())
        out += key + std::string("=") + set + "\n";
}

// A row that holds a code its two hex digits cannot show, in decimal.
void AppendWideCodes(std::string& out, const StageRecord& record, bool foreground, int row)
{
    std::string codes;
    bool wide = false;
    for (int x = 0; x < FieldColumns; ++x) {
        const int code = foreground ? record.FG[x][row] : record.BG[x][row];
        wide = wide || code < -1 || code > 254;
        codes += (x == 0 ? "" : ",") + std::to_string(code);
    }
    if (wide)
        out += std::string(foreground ? "FG" : "BG") + TwoDigits(row) + " codes=" + codes + "\n";
}

}  // namespace

std::string StageTextView(int number, const StageRecord& record)
{
    std::string out = "[Stage" + TwoDigits(number) + "] ";
    if (IsEmptyRecord(record))
        return out + "empty\n";
    out += QuotedText(record.Caption) + "\n";
    AppendText(out, "BG_Bitmap", record.BG_Bitmap);
    char color[16];
    std::snprintf(color, sizeof color, "$%.6X", static_cast<unsigned>(record.BG_Color));
    out += "BG_Color=" + std::string(color) + "\n";
    out += "BG_H_Tile=" + std::to_string(record.BG_H_Tile) + "\n";
    out += "BG_V_Tile=" + std::to_string(record.BG_V_Tile) + "\n";
    AppendCounts(out, "EnemyCount=", record, 0, EnemyTypeCount);
    out += "MaxCount=" + std::to_string(record.MaxCount) + "\n";
    AppendText(out, "SI_Bitmap", record.SI_Bitmap);
    if (!NonZeroBytes(Bytes(record.EnemyCount + EnemyTypeCount, sizeof record.EnemyCount / 2)).empty())
        AppendCounts(out, "EnemyCount[16..31]=", record, EnemyTypeCount, EnemySlotCount);
    AppendTextTail(out, "Caption", record.Caption);
    AppendTextTail(out, "BG_Bitmap", record.BG_Bitmap);
    AppendTextTail(out, "SI_Bitmap", record.SI_Bitmap);
    AppendBlock(out, "Reserved1", Bytes(record.Reserved1, sizeof record.Reserved1));
    AppendBlock(out, "Reserved2", Bytes(record.Reserved2, sizeof record.Reserved2));
    AppendBlock(out, "Reserved3", Bytes(record.Reserved3, sizeof record.Reserved3));
    for (int y = 0; y < FieldRows; ++y)
        for (const bool foreground : {false, true}) {
            AppendTextMapRow(out, record, foreground, y);
            out += "\n";
            AppendWideCodes(out, record, foreground, y);
        }
    return out;
}

std::string StageFileTextView(const std::string& name)
{
    const TStageRecords records = ReadStageSetInput(name, true);
    if (!records.Read)
        return "the file cannot be read: " + records.Error + "\n";
    std::string out;
    out.reserve(records.Records.size() * 8200);
    for (std::size_t n = 0; n < records.Records.size(); ++n)
        out += StageTextView(static_cast<int>(n), records.Records[n]);
    if (records.TooMany || records.WholeRecords > static_cast<std::int64_t>(records.Records.size()))
        return out + "the file holds more than " + std::to_string(MaxStageFileRecords)
               + " records, more than a stage file holds; the rest is not shown\n";
    if (const std::optional<TStageFilePiece> piece = StageFilePieceOf(records))
        out += StageFilePieceText("the file", *piece) + "\n";
    return out;
}
