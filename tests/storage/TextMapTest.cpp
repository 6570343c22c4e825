// The text map on records: number reading, line normalising, writing and the
// lenient reading.
#include "stage/StageRecord.h"
#include "storage/TextMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::string ReadGolden(const std::string& name)
{
    std::ifstream in(std::string(STAGE_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

StageRecord Empty()
{
    StageRecord record;
    EmptyStage(record);
    return record;
}

// A record whose every cell differs, within what two hex digits hold.
StageRecord Sample()
{
    StageRecord record = Empty();
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            record.BG[x][y] = static_cast<std::int16_t>((x * 7 + y * 13) % 256 - 1);
            record.FG[x][y] = static_cast<std::int16_t>((x * 11 + y * 3) % 256 - 1);
        }
    record.Caption.Assign(std::string("A \x80 caption"));
    record.BG_Bitmap.Assign(std::string("Sky\\big.BMP"));
    record.SI_Bitmap.Assign(std::string("intro.bmp"));
    record.BG_Color = 0x00ABCDEF;
    record.BG_H_Tile = 0;
    for (int type = 0; type < EnemyTypeCount; ++type)
        record.EnemyCount[type] = static_cast<std::uint16_t>(type * 4097);
    record.MaxCount = 65535;
    return record;
}

bool SameBytes(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST(ReadNumber, ValueAndStopPosition)
{
    struct Case {
        std::string Text;
        std::int32_t Value;
        std::size_t Stop;
    };
    const Case cases[] = {
        {"", 0, 1},
        {" ", 0, 2},
        {"12", 12, 0},
        {"   12", 12, 0},
        {"12,", 12, 3},
        {"12 ", 12, 3},
        {"1A", 1, 2},
        {"abc", 0, 1},
        {"0", 0, 0},
        {"+7", 7, 0},
        {"-5", -5, 0},
        {"-5,", 5, 3},  // the sign needs the whole text
        {"-", 0, 2},
        {"-$5", 0, 2},
        {"$1F", 31, 0},
        {"$1f", 31, 0},
        {"x10", 16, 0},
        {"X10", 16, 0},
        {"0x10", 16, 0},
        {"0X1g", 1, 4},
        {"$", 0, 2},
        {"$G", 0, 2},
        {"$102028", 1056808, 0},
        {"$FFFFFFFF", -1, 0},            // all 32 bits
        {"$100000000", 0x10000000, 10},  // the ninth digit would overflow
        {"2147483647", 2147483647, 0},
        {"2147483648", 214748364, 10},
        {"99999999999,", 999999999, 10},
        {std::string("7\0"
                     "8",
                     3),
         7, 2},
    };
    for (const auto& c : cases) {
        const TNumberRead read = ReadNumber(c.Text);
        EXPECT_EQ(read.Value, c.Value) << '"' << c.Text << '"';
        EXPECT_EQ(read.Stop, c.Stop) << '"' << c.Text << '"';
    }
}

TEST(NormaliseTextLines, SplitsAtCrLfOrCrLfAndStopsAtNul)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\r\n", "a\r\nb\r\n"},
        {"a\r\rb", "a\r\n\r\nb\r\n"},
        {"a\n\r", "a\r\n\r\n"},
        {"\n", "\r\n"},
        {std::string("ab\0cd\ne", 7), "ab\r\n"},
        {std::string("\0abc", 4), ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormaliseTextLines(in), out) << '"' << in << '"';
}

TEST(WriteTextMap, EmptyStageMatchesTheGoldenFile)
{
    EXPECT_EQ(WriteTextMap(Empty(), 0), ReadGolden("EmptyStage00.txt"));
}

TEST(WriteTextMap, NumbersAndCodesTwoDigitsCannotHold)
{
    StageRecord record = Empty();
    record.BG[0][0] = 254;
    record.BG[1][0] = 255;
    record.BG[2][0] = -2;
    record.FG[39][29] = 30000;
    record.FG[38][29] = -300;
    record.EnemyCount[16] = 9;  // not one of the 16 types: not written
    const std::string text = WriteTextMap(record, 123);
    EXPECT_EQ(text.substr(0, 12), "[Stage123]\r\n");
    EXPECT_NE(text.find("\r\nEnemyCount=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBG00=FF 00 00 00 "), std::string::npos);
    EXPECT_NE(text.find(" 00 00 \r\n[End]\r\n"), std::string::npos);
}

TEST(ReadTextMap, WrittenRecordsComeBackExactly)
{
    for (const int number : {0, 7, 99, 123}) {
        const StageRecord record = Sample();
        const auto map = ReadTextMap(WriteTextMap(record, number));
        ASSERT_TRUE(map.has_value()) << number;
        EXPECT_EQ(map->StageNumber, number);
        EXPECT_TRUE(SameBytes(map->Stage, record)) << number;
    }
}

TEST(ReadTextMap, PlainResultOfALenientReading)
{
    struct Case {
        const char* Name;
        std::string Text;
        bool Read;
        std::int32_t Number;
        std::function<void(const StageRecord&)> Check;
    };
    const auto none = [](const StageRecord&) {};
    const Case cases[] = {
        {"no header", "Caption=x\r\nBG00=01\r\n", false, 0, none},
        {"header never closed", "[Stage07\r\nCaption=x\r\n", false, 0, none},
        {"header alone", "[stage$FFFFFFFF]", true, -1,
         [](const StageRecord& r) {
             EXPECT_EQ(r.Caption.Length, 0);
             EXPECT_EQ(r.BG_Color, DefaultBGColor);
             EXPECT_EQ(r.BG_H_Tile, 0);
             EXPECT_EQ(r.MaxCount, 0);
             EXPECT_EQ(r.BG[0][0], -2);  // every pair is missing
             EXPECT_EQ(r.FG[39][29], -2);
         }},
        {"short rows and odd values",
         "[Stage1]\nbg00=01 g2 3 \nFG29=10 \nBG_Color=$12\nBG_V_Tile=-4\nBG_H_Tile=9\nEnemyCount=4,,x5,6\n"
         "MaxCount=70000\nCaption=first\nCaption=second\n[END]",
         true, 1,
         [](const StageRecord& r) {
             EXPECT_EQ(r.BG[0][0], 0);
             EXPECT_EQ(r.BG[1][0], -1);  // no hex digit
             EXPECT_EQ(r.BG[2][0], 2);   // one digit: its value
             EXPECT_EQ(r.BG[3][0], -2);
             EXPECT_EQ(r.FG[0][29], 15);
             EXPECT_EQ(r.FG[1][29], -2);
             EXPECT_EQ(r.BG_Color, DefaultBGColor);  // shorter than 7 characters
             EXPECT_EQ(r.BG_V_Tile, 0);
             EXPECT_EQ(r.BG_H_Tile, 1);
             EXPECT_EQ(r.EnemyCount[0], 4);
             EXPECT_EQ(r.EnemyCount[1], 0);
             EXPECT_EQ(r.MaxCount, 70000 % 65536);
             EXPECT_EQ(r.Caption.Str(), "first");
             for (int slot = EnemyTypeCount; slot < EnemySlotCount; ++slot)
                 EXPECT_EQ(r.EnemyCount[slot], 0);
         }},
    };
    for (const auto& c : cases) {
        const auto map = ReadTextMap(c.Text);
        ASSERT_EQ(map.has_value(), c.Read) << c.Name;
        if (!map)
            continue;
        EXPECT_EQ(map->StageNumber, c.Number) << c.Name;
        c.Check(map->Stage);
    }
}

// A map cut off anywhere lacks a row or its [End]: the first one missing, in
// the order they are written, is named.
TEST(ReadTextMap, NamesTheFirstLineACutMapLacks)
{
    const std::string whole = WriteTextMap(Sample(), 3);
    const auto cutBefore = [&whole](const std::string& line) { return whole.substr(0, whole.find(line)); };
    std::string lower = whole;
    lower.replace(lower.find("FG07="), 5, "fg07=");
    std::string withoutRow = whole;
    withoutRow.erase(withoutRow.find("BG12="), withoutRow.find("FG12=") - withoutRow.find("BG12="));
    struct Case {
        std::string Text;
        const char* Missing;
    };
    const Case cases[] = {
        {whole, ""},
        {lower, ""},  // keys in any case
        {cutBefore("[End]"), "[End]"},
        {cutBefore("FG12="), "FG12"},
        {cutBefore("BG00="), "BG00"},
        {"[Stage3]\r\n", "BG00"},
        {withoutRow, "BG12"},
        {whole.substr(0, whole.size() - 4), "[End]"},  // ends in "[En"
    };
    for (const Case& c : cases) {
        const std::optional<TTextMap> map = ReadTextMap(c.Text);
        ASSERT_TRUE(map) << c.Missing;
        EXPECT_EQ(map->FirstMissingLine, c.Missing);
    }
}

// Several maps in one text (copied stages) split into the texts of each,
// so each reads as when read alone.
TEST(SplitTextMaps, EachMapOfATextReadsAsAlone)
{
    StageRecord other = Sample();
    other.Caption.Assign(std::string("Other"));
    const std::string first = WriteTextMap(Sample(), 3);
    const std::string second = WriteTextMap(other, 7);
    std::string lacking = first;
    lacking.erase(lacking.find("Caption="), lacking.find("BG_Bitmap=") - lacking.find("Caption="));
    const std::string unfinished = first.substr(0, first.find("[End]"));
    struct Case {
        const char* What;
        std::string Text;
        std::vector<std::string> Maps;
    };
    const Case cases[] = {
        {"two", "copied:\r\n" + first + second, {first, second}},
        {"a key the first lacks stays its own", lacking + second, {lacking, second}},
        {"the first unfinished", unfinished + second, {unfinished, second}},
        {"a header in a caption",
         "[Stage1]\r\nCaption=[Stage2]\r\n[End]\r\n",
         {"[Stage1]\r\nCaption=[Stage2]\r\n[End]\r\n"}},
        {"none", "no map here", {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string_view> maps = SplitTextMaps(c.Text);
        ASSERT_EQ(maps.size(), c.Maps.size()) << c.What;
        for (std::size_t i = 0; i < maps.size(); ++i)
            EXPECT_EQ(maps[i], c.Maps[i]) << c.What;
    }
}
