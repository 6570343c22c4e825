#include "cli/StageText.h"

#include "check/FindingFormat.h"
#include "stage/TileNotation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

std::string Masked(const TShortString& text)
{
    std::string bytes(reinterpret_cast<const char*>(&text), sizeof text);
    const std::size_t length = std::min<std::size_t>(text.Length, MaxShortString);
    std::fill_n(bytes.begin() + 1, length, '\0');
    bytes[0] = static_cast<char>(text.Length > MaxShortString ? text.Length : 0);
    return bytes;
}

}  // namespace

std::string QuotedText(const TShortString& text)
{
    std::string out = "\"";
    for (const char ch : text.Str()) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte == LineBreakMark) {
            out += "\\n";
        } else if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
            out += escape;
        } else {
            AppendLatin1(out, &ch, 1);
        }
    }
    return out + "\"";
}

std::string CellText(int bg, int fg)
{
    return "BG " + TileText(bg) + ", FG " + TileText(fg);
}

std::string CellChangeText(int oldBG, int oldFG, int newBG, int newFG)
{
    const auto layer = [](const char* name, int before, int after) {
        std::string text = std::string(name) + TileText(before);
        if (after != before)
            text += std::string(Arrow) + TileText(after);
        return text;
    };
    return layer("BG ", oldBG, newBG) + ", " + layer("FG ", oldFG, newFG);
}

std::string HexBytes(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char ch : bytes) {
        hex += digits[(static_cast<unsigned char>(ch) >> 4) & 15];
        hex += digits[static_cast<unsigned char>(ch) & 15];
    }
    return hex;
}

std::string FieldValueText(const StageRecord& record, const TRecordField& field)
{
    switch (field.Kind) {
    case TFieldKind::Text: return QuotedText(FieldString(record, field));
    case TFieldKind::Number: return std::to_string(FieldNumber(record, field));
    case TFieldKind::Color: {
        char color[16];
        std::snprintf(color, sizeof color, "$%.6X", FieldNumber(record, field));
        return color;
    }
    case TFieldKind::Block: break;
    }
    const std::string text = NonZeroBytes(FieldBytes(record, field));
    return text.empty() ? "all zero" : text;
}

std::string NonZeroBytes(std::string_view bytes, std::size_t first)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != 0)
            text += (text.empty() ? "" : " ") + std::to_string(first + i) + ":" + HexBytes(bytes.substr(i, 1));
    return text;
}

std::string FieldValueJson(const StageRecord& record, const TRecordField& field)
{
    switch (field.Kind) {
    case TFieldKind::Text: return JsonString(FieldString(record, field).Str());
    case TFieldKind::Number:
    case TFieldKind::Color: return std::to_string(FieldNumber(record, field));
    case TFieldKind::Block: break;
    }
    return "\"" + HexBytes(FieldBytes(record, field)) + "\"";
}

std::string FieldLabel(const TRecordField& field)
{
    if (!field.Reserved)
        return field.Name;
    return field.Name + (field.Kind == TFieldKind::Block ? " (reserved bytes)" : " (reserved slot)");
}

bool TailsDiffer(const TShortString& a, const TShortString& b)
{
    return Masked(a) != Masked(b);
}
