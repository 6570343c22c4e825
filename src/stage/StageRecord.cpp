#include "stage/StageRecord.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

void TShortString::Assign(const std::string& text)
{
    Assign(text.data(), text.size());
}

void TShortString::Assign(const char* chars, std::size_t length)
{
    const std::size_t kept = std::min<std::size_t>(length, MaxShortString);
    // memmove: the source may be this string's own characters.
    if (kept > 0)
        std::memmove(Chars, chars, kept);
    std::memset(Chars + kept, 0, MaxShortString - kept);
    Length = static_cast<std::uint8_t>(kept);
}

void AppendLatin1(std::string& out, const char* chars, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(chars[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
}

bool Latin1FromUtf8(std::string_view utf8, std::string& latin1)
{
    latin1.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            latin1.push_back(static_cast<char>(lead));
            continue;
        }
        // Only C2 and C3 lead to U+0080..U+00FF; anything else is beyond
        // Latin-1 or no UTF-8 at all.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 == utf8.size()
            || (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) != 0x80)
            return false;
        latin1.push_back(static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F)));
    }
    return true;
}

bool operator==(const TShortString& a, const TShortString& b)
{
    const std::size_t lengthA = std::min<std::size_t>(a.Length, MaxShortString);
    const std::size_t lengthB = std::min<std::size_t>(b.Length, MaxShortString);
    return lengthA == lengthB && std::memcmp(a.Chars, b.Chars, lengthA) == 0;
}

std::int32_t SumEnemyCounts(const std::uint16_t (&counts)[EnemySlotCount])
{
    std::int32_t total = 0;
    for (int type = 0; type < EnemyTypeCount; ++type)
        total += counts[type];
    return total;
}

void EmptyStage(StageRecord& record)
{
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            record.BG[x][y] = EmptyCode;
            record.FG[x][y] = EmptyCode;
        }
    record.MaxCount = 5;
    record.BG_Color = DefaultBGColor;
    record.BG_H_Tile = 1;
    record.BG_V_Tile = 1;
    static const char undefined[] = "Undefined Stage";
    record.Caption.Assign(undefined, sizeof undefined - 1);
}

bool RecordsEqual(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::size_t RecordHash(const StageRecord& record)
{
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(&record), sizeof record));
}

bool IsEmptyRecord(const StageRecord& record)
{
    StageRecord empty;
    EmptyStage(empty);
    return RecordsEqual(record, empty);
}
