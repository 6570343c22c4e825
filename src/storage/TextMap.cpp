#include "storage/TextMap.h"

#include "stage/StageRecord.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr std::string_view LineEnd = "\r\n";

int DigitValue(char ch, bool hex)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (hex && ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (hex && ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

char UpperAscii(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

// `upper` is given in upper case; only A-Z are folded.
bool EqualsIgnoreCase(std::string_view text, std::string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (UpperAscii(text[i]) != upper[i])
            return false;
    return true;
}

std::size_t FindIgnoreCase(std::string_view text, std::string_view upper)
{
    if (text.size() < upper.size())
        return std::string_view::npos;
    // Every needle here starts with '[', which has no case: jump between them.
    for (std::size_t i = text.find(upper[0]); i != std::string_view::npos && i + upper.size() <= text.size();
         i = text.find(upper[0], i + 1))
        if (EqualsIgnoreCase(text.substr(i, upper.size()), upper))
            return i;
    return std::string_view::npos;
}

// The end of the line that starts at `start`: the next CR or LF, or the end.
std::size_t LineEndAt(std::string_view text, std::size_t start)
{
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    return end;
}

// The keys a text map may carry, in a fixed order: the settings, then the
// rows BG00, FG00, BG01, ... FG29.
constexpr std::array<std::string_view, 8> SettingKeys = {"CAPTION",   "BG_BITMAP",  "BG_COLOR", "BG_H_TILE",
                                                         "BG_V_TILE", "ENEMYCOUNT", "MAXCOUNT", "SI_BITMAP"};
enum SettingKey { kCaption, kBGBitmap, kBGColor, kBGHTile, kBGVTile, kEnemyCount, kMaxCount, kSIBitmap };
constexpr int KeyCount = static_cast<int>(SettingKeys.size()) + 2 * FieldRows;

int RowKey(bool foreground, int row)
{
    return static_cast<int>(SettingKeys.size()) + 2 * row + (foreground ? 1 : 0);
}

// The key index of a line's key, or -1.
int KeyIndex(std::string_view key)
{
    for (std::size_t i = 0; i < SettingKeys.size(); ++i)
        if (EqualsIgnoreCase(key, SettingKeys[i]))
            return static_cast<int>(i);
    if (key.size() == 4 && std::isdigit(static_cast<unsigned char>(key[2]))
        && std::isdigit(static_cast<unsigned char>(key[3]))) {
        const int row = (key[2] - '0') * 10 + (key[3] - '0');
        if (row < FieldRows) {
            if (EqualsIgnoreCase(key.substr(0, 2), "BG"))
                return RowKey(false, row);
            if (EqualsIgnoreCase(key.substr(0, 2), "FG"))
                return RowKey(true, row);
        }
    }
    return -1;
}

// Values by key: the first line whose key matches wins; a missing key gives
// the empty value.
struct TKeyValues {
    std::array<std::string_view, KeyCount> Values{};
    std::array<bool, KeyCount> Found{};

    explicit TKeyValues(std::string_view text)
    {
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = LineEndAt(text, start);
            Take(text.substr(start, end - start));
            start = end + 1;
            if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
                ++start;
        }
    }

    void Take(std::string_view line)
    {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return;
        const int index = KeyIndex(line.substr(0, equals));
        if (index >= 0 && !Found[static_cast<std::size_t>(index)]) {
            Found[static_cast<std::size_t>(index)] = true;
            Values[static_cast<std::size_t>(index)] = line.substr(equals + 1);
        }
    }

    std::string_view operator[](int index) const { return Values[static_cast<std::size_t>(index)]; }
};

// The cell at `column` of a row value: the pair at characters 3x + 1 and
// 3x + 2 read as the number "$" and the two characters, minus one. That
// reading stops at the first character that is no hex digit, so it is done
// here directly (2400 cells a stage). A missing pair gives -2, one below the
// empty code, which draws nothing.
int CellCode(std::string_view row, int column)
{
    const std::size_t first = static_cast<std::size_t>(3 * column);
    if (row.size() < first + 2)
        return -2;
    const int high = DigitValue(row[first], true);
    if (high < 0)
        return -1;
    const int low = DigitValue(row[first + 1], true);
    return (low < 0 ? high : high * 16 + low) - 1;
}

void AppendHexPair(std::string& out, int value)
{
    static const char digits[] = "0123456789ABCDEF";
    out.push_back(digits[(value >> 4) & 15]);
    out.push_back(digits[value & 15]);
}

void AppendLine(std::string& out, std::string_view key, std::string_view value)
{
    out.append(key).append(value).append(LineEnd);
}

std::string_view View(const TShortString& text)
{
    return std::string_view(text.Chars, std::min<std::size_t>(text.Length, MaxShortString));
}

}  // namespace

TNumberRead ReadNumber(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    bool hex = false;
    if (i < n) {
        const char ch = text[i];
        if (ch == '$' || ch == 'x' || ch == 'X') {
            hex = true;
            ++i;
        } else if (ch == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            hex = true;
            i += 2;
        } else if (ch == '-') {
            negative = true;
            ++i;
        } else if (ch == '+') {
            ++i;
        }
    }
    const std::uint32_t limit = hex ? std::numeric_limits<std::uint32_t>::max()
                                    : static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    const std::uint32_t base = hex ? 16 : 10;
    std::uint32_t value = 0;
    bool anyDigit = false;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0 || value > (limit - static_cast<std::uint32_t>(digit)) / base)
            return TNumberRead{static_cast<std::int32_t>(value), i + 1};
        value = value * base + static_cast<std::uint32_t>(digit);
        anyDigit = true;
    }
    if (!anyDigit)
        return TNumberRead{0, n + 1};
    const auto signedValue = static_cast<std::int32_t>(value);
    return TNumberRead{negative ? -signedValue : signedValue, 0};
}

std::string NormaliseTextLines(std::string_view bytes)
{
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 2);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = LineEndAt(text, start);
        out.append(text.substr(start, end - start)).append(LineEnd);
        start = end + 1;
        if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return out;
}

std::string WriteTextMap(const StageRecord& record, int stageNumber)
{
    std::string out;
    out.reserve(9000);
    char number[128];
    std::snprintf(number, sizeof number, "[Stage%2.2d]", stageNumber);
    AppendLine(out, number, "");
    AppendLine(out, "Caption=", View(record.Caption));
    AppendLine(out, "BG_Bitmap=", View(record.BG_Bitmap));
    std::snprintf(number, sizeof number, "$%.6X", static_cast<unsigned>(record.BG_Color));
    AppendLine(out, "BG_Color=", number);
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record.BG_H_Tile));
    AppendLine(out, "BG_H_Tile=", number);
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record.BG_V_Tile));
    AppendLine(out, "BG_V_Tile=", number);
    out.append("EnemyCount=");
    for (int type = 0; type < EnemyTypeCount; ++type) {
        std::snprintf(number, sizeof number, type == 0 ? "%u" : ",%u", static_cast<unsigned>(record.EnemyCount[type]));
        out.append(number);
    }
    out.append(LineEnd);
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record.MaxCount));
    AppendLine(out, "MaxCount=", number);
    AppendLine(out, "SI_Bitmap=", View(record.SI_Bitmap));
    for (int y = 0; y < FieldRows; ++y)
        for (const bool foreground : {false, true}) {
            AppendTextMapRow(out, record, foreground, y);
            out.append(LineEnd);
        }
    AppendLine(out, "[End]", "");
    return out;
}

void AppendTextMapRow(std::string& out, const StageRecord& record, bool foreground, int row)
{
    char key[16];
    std::snprintf(key, sizeof key, "%s%2.2d=", foreground ? "FG" : "BG", row);
    out.append(key);
    for (int x = 0; x < FieldColumns; ++x) {
        const int code = foreground ? record.FG[x][row] : record.BG[x][row];
        // Two digits hold -1..254; anything else (a damaged record or an
        // imported text) is written as the empty code so that the row keeps
        // its 40 pairs.
        AppendHexPair(out, (code >= -1 && code <= 254) ? code + 1 : 0);
        out.push_back(' ');
    }
}

std::optional<TTextMap> ReadTextMap(std::string_view text)
{
    std::string_view rest = text;
    const std::size_t header = FindIgnoreCase(rest, "[STAGE");
    if (header == std::string_view::npos)
        return std::nullopt;
    rest.remove_prefix(header + 6);
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    std::optional<TTextMap> map(std::in_place);
    std::memset(static_cast<void*>(&map->Stage), 0, sizeof map->Stage);
    map->StageNumber = ReadNumber(rest.substr(0, close)).Value;
    rest.remove_prefix(close + 1);

    std::string body(rest);
    const std::size_t end = FindIgnoreCase(body, "[END]");
    if (end != std::string::npos)
        body.erase(end, 5);
    const TKeyValues values(body);
    StageRecord& stage = map->Stage;

    stage.Caption.Assign(values[kCaption].data(), values[kCaption].size());
    stage.BG_Bitmap.Assign(values[kBGBitmap].data(), values[kBGBitmap].size());
    const std::string_view color = values[kBGColor];
    stage.BG_Color = color.size() >= 7 ? static_cast<std::uint32_t>(ReadNumber(color).Value) : DefaultBGColor;
    stage.BG_H_Tile = ReadNumber(values[kBGHTile]).Value > 0 ? 1 : 0;
    stage.BG_V_Tile = ReadNumber(values[kBGVTile]).Value > 0 ? 1 : 0;

    std::string counts(values[kEnemyCount]);
    counts.push_back(',');
    std::string_view remaining = counts;
    for (int type = 0; type < EnemyTypeCount; ++type) {
        const TNumberRead read = ReadNumber(remaining);
        stage.EnemyCount[type] = static_cast<std::uint16_t>(read.Value);
        remaining.remove_prefix(std::min(read.Stop, remaining.size()));
    }

    stage.MaxCount = static_cast<std::uint16_t>(ReadNumber(values[kMaxCount]).Value);
    stage.SI_Bitmap.Assign(values[kSIBitmap].data(), values[kSIBitmap].size());

    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x) {
            stage.BG[x][y] = static_cast<std::int16_t>(CellCode(values[RowKey(false, y)], x));
            stage.FG[x][y] = static_cast<std::int16_t>(CellCode(values[RowKey(true, y)], x));
        }

    for (int key = RowKey(false, 0); key < KeyCount && map->FirstMissingLine.empty(); ++key)
        if (!values.Found[static_cast<std::size_t>(key)]) {
            const int row = (key - RowKey(false, 0)) / 2;
            map->FirstMissingLine =
                (key == RowKey(true, row) ? "FG" : "BG") + std::to_string(row / 10) + std::to_string(row % 10);
        }
    if (map->FirstMissingLine.empty() && end == std::string::npos)
        map->FirstMissingLine = "[End]";
    return map;
}

std::vector<std::string_view> SplitTextMaps(std::string_view text)
{
    std::vector<std::string_view> maps;
    auto findFrom = [text](std::size_t from, std::string_view upper) {
        const std::size_t at = from <= text.size() ? FindIgnoreCase(text.substr(from), upper) : std::string_view::npos;
        return at == std::string_view::npos ? at : from + at;
    };
    std::size_t start = findFrom(0, "[STAGE");
    while (start != std::string_view::npos) {
        std::size_t next = std::string_view::npos;
        const std::size_t close = text.find(']', start + 6);
        if (close != std::string_view::npos) {
            // The next header that starts a line, unless this map's [End] comes first.
            std::size_t header = findFrom(close + 1, "[STAGE");
            while (header != std::string_view::npos && text[header - 1] != '\r' && text[header - 1] != '\n')
                header = findFrom(header + 1, "[STAGE");
            const std::size_t end = findFrom(close + 1, "[END]");
            next = end != std::string_view::npos && end < header ? findFrom(end + 5, "[STAGE") : header;
        }
        maps.push_back(text.substr(start, next == std::string_view::npos ? next : next - start));
        start = next;
    }
    return maps;
}
