// Tiled maps on records: every encoding a designer's Tiled writes, what is
// refused, what is only noted, and the texts byte for byte.
#include "stage/StageRecord.h"
#include "storage/TiledMap.h"
#include "support/AllocCounter.h"
#include "support/TiledKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using TChange = std::function<std::string(const std::string&)>;

// A stage whose cells use every tile a layer holds (the shadow patterns
// stand in for 8..15), with settings off their defaults.
TTiledStage Sample()
{
    TTiledStage stage{};
    EmptyStage(stage.Stage);
    StageRecord& record = stage.Stage;
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            for (auto [cells, code] :
                 {std::pair{&record.BG, (x * 7 + y * 13) % 65 - 1}, std::pair{&record.FG, (x * 11 + y * 3) % 65 - 1}})
                (*cells)[x][y] = static_cast<std::int16_t>(InCodeRange(code, 16, 23) ? code - 8 : code);
            stage.Shadows[x][y] = static_cast<std::int16_t>(16 + (x + y) % 8);
        }
    record.Caption.Assign(std::string("Twin \x80 Rivers \xE9"));
    record.BG_Bitmap.Assign(std::string("Sky\\big.BMP"));
    record.BG_Color = 0x00ABCDEF;
    record.BG_H_Tile = 0;
    record.MaxCount = 65535;
    for (int type = 0; type < EnemyTypeCount; ++type)
        record.EnemyCount[type] = static_cast<std::uint16_t>(type * 4097);
    stage.Background = "07-background.png";
    return stage;
}

bool SameCells(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(a.BG, b.BG, sizeof a.BG) == 0 && std::memcmp(a.FG, b.FG, sizeof a.FG) == 0;
}

std::string Notes(const TTiledMapRead& read)
{
    std::string text;
    for (const std::string& note : read.Notes)
        text += note + "\n";
    return text;
}

// A base64 <data> element of `bytes` compressed as `compression` says.
std::string Base64Data(const std::string& bytes, const std::string& compression)
{
    return "<data encoding=\"base64\"" + (compression.empty() ? "" : " compression=\"" + compression + "\"") + ">\n   "
           + Base64(Compressed(bytes, compression)) + "\n  </data>";
}

// A <data> element holding `gids`: "csv", "tiles" (XML <tile> elements), or
// base64 with the compression named ("" for none).
std::string DataElement(const std::vector<std::uint32_t>& gids, const std::string& packing)
{
    std::string data = packing == "csv" ? "<data encoding=\"csv\">\n" : "<data>";
    if (packing != "csv" && packing != "tiles")
        return Base64Data(LittleEndian(gids), packing);
    for (std::size_t i = 0; i < gids.size(); ++i) {
        const std::string gid = std::to_string(gids[i]);
        data += packing == "csv" ? (i ? "," : "") + gid : gids[i] ? "<tile gid=\"" + gid + "\"/>" : "<tile/>";
    }
    return data + "</data>";
}

// `map` with the <data> element of the layer named `layer` replaced.
std::string WithLayerData(std::string map, const std::string& layer, const std::string& data)
{
    const std::size_t at = map.find("name=\"" + layer + "\"");
    const std::size_t start = map.find("<data", at);
    const std::size_t end = map.find("</data>", start);
    if (at == std::string::npos || start == std::string::npos || end == std::string::npos)
        throw std::logic_error("no data of layer " + layer);
    return map.replace(start, end + 7 - start, data);
}

TChange Replace(const std::string& from, const std::string& to)
{
    return [from, to](const std::string& map) { return Replaced(map, from, to); };
}

TChange LayerData(const std::string& layer, const std::string& data)
{
    return [layer, data](const std::string& map) { return WithLayerData(map, layer, data); };
}

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// A DTD outside the map, which no reader loads: its entities stay unknown.
const std::string OutsideDtd = "<!DOCTYPE map SYSTEM \"map.dtd\">";

// Takes out of `text` what runs from `from` up to `to`.
std::string TakeOut(std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t start = text.find(from);
    const std::size_t length = text.find(to, start) - start;
    std::string piece = text.substr(start, length);
    text.erase(start, length);
    return piece;
}

}  // namespace

// Whatever Tiled may have changed in how it writes the map, the stage reads
// back whole, with nothing to note.
TEST(TiledMap, EveryWayTiledWritesAMapReadsAsTheStage)
{
    const TTiledStage stage = Sample();
    const std::string map = WriteTiledMap(stage);
    const std::string own = "<tileset firstgid=\"1\" source=\"tiles.tsx\"/>";
    // Another tileset first moves the stage's tiles to firstgid 5.
    const std::string other =
        "<tileset firstgid=\"1\" name=\"Notes\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"4\" columns=\"2\">"
        "<image source=\"notes.png\" width=\"32\" height=\"32\"/></tileset>";
    const std::string embedded =
        "<tileset firstgid=\"5\" name=\"Back\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"64\" columns=\"16\">"
        "<image source=\"tiles.png\" width=\"256\" height=\"64\"/><tile id=\"0\"><animation>"
        "<frame tileid=\"1\" duration=\"16\"/></animation></tile></tileset>";
    const auto packed = [&](const std::string& packing, const std::string& tilesets, std::uint32_t firstGid) {
        std::string variant = WithLayerData(map, "BG", DataElement(GidsOf(stage.Stage.BG, firstGid), packing));
        variant = WithLayerData(variant, "FG", DataElement(GidsOf(stage.Stage.FG, firstGid), packing));
        return Replaced(variant, own, tilesets);
    };
    std::vector<std::pair<std::string, std::string>> cases = {
        {"csv", packed("csv", own, 1)},
        {"base64", packed("", own, 1)},
        {"zlib, external tileset elsewhere",
         packed("zlib", other + "<tileset firstgid=\"5\" source=\"../t/tiles.tsx\"/>", 5)},
        {"gzip, embedded tileset", packed("gzip", other + embedded, 5)},
        {"tiles, firstgid 100", packed("tiles", "<tileset firstgid=\"100\" source=\"tiles.tsx\"/>" + other, 100)},
        {"the background in another folder", Replaced(map, "07-background.png", "../out/07-background.png")},
    };
    if (TiledCompressions().size() > 2)
        cases.push_back({"zstd", packed("zstd", own, 1)});
    // FG first, inside a group, and the properties after the layers, Caption last.
    std::string moved = map;
    const std::string caption = TakeOut(moved, "<property name=\"Caption\"", "<property name=\"BG_Bitmap\"");
    moved = Replaced(moved, " </properties>", caption + " </properties>");
    const std::string properties = TakeOut(moved, " <properties>", " <tileset");
    const std::string bg = TakeOut(moved, " <layer id=\"2\"", " <layer id=\"3\"");
    const std::string fg = TakeOut(moved, " <layer id=\"4\"", "</map>");
    cases.push_back(
        {"in another order", Replaced(moved, "</map>", "<group>" + fg + bg + "</group>" + properties + "</map>")});
    for (const auto& [what, variant] : cases) {
        const TTiledMapRead read = ReadTiledMap(variant);
        ASSERT_TRUE(read) << what << ": " << read.Error;
        EXPECT_TRUE(read.Notes.empty()) << what << "\n" << Notes(read);
        EXPECT_EQ(std::memcmp(&read.Map.Stage, &stage.Stage, sizeof(StageRecord)), 0) << what;
    }
}

TEST(TiledMap, WhatAStageCannotBeIsRefused)
{
    const std::string map = WriteTiledMap(Sample());
    const auto gids = GidsOf(Sample().Stage.FG);
    const auto changed = [&gids](std::size_t cell, std::uint32_t to) {
        auto copy = gids;
        copy[cell] = to;
        return copy;
    };
    std::vector<std::uint32_t> flipped = changed(42, gids[42] | 0x80000000u);
    flipped[1199] |= 0x20000000u;
    const std::string bytes = LittleEndian(gids);
    const std::string zlib = Compressed(bytes, "zlib");
    const std::string huge(8u << 20, '\0');
    struct Case {
        std::string Error;  // part of the refusal
        TChange Change;
    };
    std::vector<Case> cases = {
        {"not well-formed XML", Replace("</map>", "</mop>")},
        {"no Tiled map: its first element is <tileset>", [](const std::string&) { return "<tileset/>"; }},
        {"the map is infinite", Replace("infinite=\"0\"", "infinite=\"1\"")},
        {"the map is 41 x 30 tiles", Replace("width=\"40\"", "width=\"41\"")},
        {"the map's tiles are 32 x 16 pixels", Replace("tilewidth=\"16\"", "tilewidth=\"32\"")},
        {"no tile layer named BG", Replace("name=\"BG\"", "name=\"Ground\"")},
        {"two tile layers are named BG", Replace("name=\"Shadows\"", "name=\"BG\"")},
        {"layer FG is 40 x 29 tiles", Replace("name=\"FG\" width=\"40\" height=\"30\"", "name=\"FG\" width=\"40\" height=\"29\"")},
        {"layer FG, column 2, row 1: the tile is flipped or rotated, which the game cannot draw (2 cells in all)",
         LayerData("FG", DataElement(flipped, "csv"))},
        {"layer FG, column 5, row 0: tile 64 is beyond the stage's 64 tiles", LayerData("FG", DataElement(changed(5, 65), "csv"))},
        {"layer BG, column 1, row 0: a tile from the tileset \"grass.tsx\"",
         Replace("<tileset firstgid=\"1\" source=\"tiles.tsx\"/>",
                 "<tileset firstgid=\"1\" source=\"grass.tsx\"/><tileset firstgid=\"30\" source=\"tiles.tsx\"/>")},
        {"belongs to no tileset", Replace("firstgid=\"1\"", "firstgid=\"70\"")},
        {"layer BG holds 1199 cells, not the map's 1200",
         LayerData("BG", DataElement(std::vector<std::uint32_t>(gids.begin() + 1, gids.end()), "tiles"))},
        {"layer BG: its CSV data holds more than the 1200 cells", Replace("\n</data>", ",0\n</data>")},
        {"layer FG: its CSV data holds \"x3\" where a tile number should be (cell 2)",
         LayerData("FG", "<data encoding=\"csv\">1,2,x3</data>")},
        {"layer BG: its base64 data is damaged", LayerData("BG", "<data encoding=\"base64\">QUJD*</data>")},
        {"layer BG: its zlib data ends too soon",
         LayerData("BG", "<data encoding=\"base64\" compression=\"zlib\">" + Base64(zlib.substr(0, zlib.size() / 2)) + "</data>")},
        {"layer BG: its data holds 4796 bytes, not the 4800", LayerData("BG", Base64Data(bytes.substr(4), "gzip"))},
        {"layer BG: its data holds 4804 bytes, not the 4800", LayerData("BG", Base64Data(bytes + "1234", ""))},
        {"layer BG: its data is compressed with \"lzma\"", LayerData("BG", "<data encoding=\"base64\" compression=\"lzma\">QUJD</data>")},
        {"layer BG: its data is encoded as \"xml\"", LayerData("BG", "<data encoding=\"xml\">1</data>")},
        {"layer FG is stored in chunks", LayerData("FG", "<data encoding=\"csv\"><chunk x=\"0\" y=\"0\">1</chunk></data>")},
        {"the property MaxCount is of type string; it must be int", Replace("name=\"MaxCount\" type=\"int\"", "name=\"MaxCount\"")},
        {"the property BG_Bitmap is of type file; it must be string", Replace("name=\"BG_Bitmap\"", "name=\"BG_Bitmap\" type=\"file\"")},
        {"MaxCount is 65536; it must be within 0..65535", Replace("\"65535\"", "\"65536\"")},
        {"the property Enemy01 holds \"4097.5\", which is no whole number", Replace("\"4097\"", "\"4097.5\"")},
        {"Caption holds \"\xE2\x82\xAC\" (U+20AC), which a stage cannot store", Replace("Twin", "Twin \xE2\x82\xAC")},
        {"Caption holds the control character U+0009", Replace("Twin", "Twin&#9;")},
        {"layer FG, column 5, row 0: tile 17 is a shadow pattern", LayerData("FG", DataElement(changed(5, 18), "csv"))},
        {"Caption holds the character U+0080, which a stage stores as its line break", Replace("Twin", "Twin\xC2\x80")},
        {"the property Caption holds the entity &mark;, which the map does not define",
         [](const std::string& m) { return Replaced(Replaced(m, "<map ", OutsideDtd + "<map "), "Twin", "Twin &mark;"); }},
        {"the property SI_Bitmap holds the entity &mark;",
         [](const std::string& m) {
             return Replaced(Replaced(m, "<map ", OutsideDtd + "<map "), "<property name=\"SI_Bitmap\" value=\"\"/>",
                             "<property name=\"SI_Bitmap\">a&mark;b</property>");
         }},
        {"it declares a DTD of its own", Replace("<map ", "<!DOCTYPE map [<!ENTITY mark \"x\">]><map ")},
        {"bytes, more than the 1 MB a map may hold", Replace("</map>", "<!--" + std::string(1 << 20, 'c') + "--></map>")},
        {"an element holds more than 64 attributes", Replace("<map ", "<map " + Repeated(" a=\"\"", 65))},
        {"its elements are nested more than 120 deep", Replace("</map>", Repeated("<a>", 200))},
        {"it holds more than 1000 layers", Replace("</map>", Repeated("<layer name=\"x\"/>", 1001) + "</map>")},
        {"its layer groups are nested more than 100 deep",
         Replace("</map>", Repeated("<group>", 5000))},
    };
    // Layer data that would inflate far beyond the map is refused unread.
    for (const std::string& compression : TiledCompressions())
        cases.push_back({"layer FG: its data is larger than the 4800 bytes the map's 1200 cells need",
                         LayerData("FG", Base64Data(huge, compression))});
    for (const Case& c : cases) {
        const TTiledMapRead read = ReadTiledMap(c.Change(map));
        EXPECT_FALSE(read) << c.Error;
        EXPECT_NE(read.Error.find(c.Error), std::string::npos) << read.Error;
        EXPECT_TRUE(read.Notes.empty()) << Notes(read);
    }
    // Every cut of a good map is refused: what a fuzzer would feed it first.
    for (std::size_t length = 0; length < map.rfind("</map>") + 6; length += 61)
        EXPECT_FALSE(ReadTiledMap(map.substr(0, length))) << length;
}

TEST(TiledMap, WhatIsIgnoredOrTakenInsteadGetsOneLine)
{
    const std::string map = WriteTiledMap(Sample());
    const struct {
        std::string Note;  // the one note expected
        TChange Change;
    } cases[] = {
        {"ignoring the map property \"Maxcount\", which is no stage setting",
         Replace("<properties>", "<properties><property name=\"Maxcount\" type=\"int\" value=\"3\"/>")},
        {"the map property Caption is given twice; the first is kept",
         Replace("</properties>", "<property name=\"Caption\" value=\"Late\"/></properties>")},
        {"Caption is cut to its first 63 characters", Replace("Twin", std::string(70, 'w'))},
        {"ignoring the tile layer \"Sketch\"",
         Replace("</map>", "<layer id=\"9\" name=\"Sketch\" width=\"40\" height=\"30\"><data>x</data></layer></map>")},
        {"ignoring the image layer \"Photo\"", Replace("name=\"Picture\"", "name=\"Photo\"")},
        {"the map's background colour #112233 differs from BG_Color 11259375 (#efcdab), which is kept",
         Replace("backgroundcolor=\"#efcdab\"", "backgroundcolor=\"#ff112233\"")},
        {"the map has no background colour; BG_Color 11259375 (#efcdab) is kept",
         Replace(" backgroundcolor=\"#efcdab\"", "")},
        {"the image layer Picture (\"../Map/desert.jpg\") is not the stage's background; BG_Bitmap \"Sky\\big.BMP\" "
         "with BG_H_Tile 0 and BG_V_Tile 1 are kept",
         Replace("07-background.png", "../Map/desert.jpg")},
        {"the image layer Picture (\"07-background.png\", repeated across) is not the stage's background",
         Replace("name=\"Picture\"", "name=\"Picture\" repeatx=\"1\"")},
    };
    for (const auto& c : cases) {
        const TTiledMapRead read = ReadTiledMap(c.Change(map));
        ASSERT_TRUE(read) << c.Note << ": " << read.Error;
        ASSERT_EQ(read.Notes.size(), 1u) << c.Note << "\n" << Notes(read);
        EXPECT_NE(read.Notes[0].find(c.Note), std::string::npos) << read.Notes[0];
        EXPECT_TRUE(SameCells(read.Map.Stage, Sample().Stage)) << c.Note;
    }
}

// Record strings are single bytes: 0x20..0xFF come back as they were, the
// line break mark as a line break, in every string; a CR LF written by hand
// is one mark too.
TEST(TiledMap, StringsComeBackByteForByte)
{
    for (int first = 0x20; first <= 0xFF; first += 63) {
        std::string bytes;
        for (int b = first; b < first + 63 && b <= 0xFF; ++b)
            bytes.push_back(static_cast<char>(b));
        TTiledStage stage = Sample();
        stage.Stage.Caption.Assign(bytes);
        stage.Stage.SI_Bitmap.Assign(bytes.substr(0, 20) + "\x80" + bytes.substr(20));
        std::reverse(bytes.begin(), bytes.end());
        stage.Stage.BG_Bitmap.Assign(bytes);
        const TTiledMapRead read = ReadTiledMap(WriteTiledMap(stage));
        ASSERT_TRUE(read) << read.Error;
        for (const auto member : {&StageRecord::Caption, &StageRecord::BG_Bitmap, &StageRecord::SI_Bitmap})
            EXPECT_EQ((read.Map.Stage.*member).Str(), (stage.Stage.*member).Str()) << first;
    }
    const TTiledMapRead read =
        ReadTiledMap(Replaced(WriteTiledMap(Sample()), "<property name=\"SI_Bitmap\" value=\"\"/>",
                              "<property name=\"SI_Bitmap\">one&#13;\ntwo\rthree</property>"));
    ASSERT_TRUE(read) << read.Error;
    EXPECT_EQ(read.Map.Stage.SI_Bitmap.Str(), "one\x80two\x80three");
}

// Tiled keeps ints in signed 32 bits and has no colour with an alpha byte: a
// BG_Color past 0x7FFFFFFF is written signed, as no background colour, and
// either spelling reads back.
TEST(TiledMap, AColourPastTheSignedRangeComesBack)
{
    TTiledStage stage = Sample();
    stage.Stage.BG_Color = 0xFF000010;
    const std::string map = WriteTiledMap(stage);
    EXPECT_EQ(map.find("backgroundcolor"), std::string::npos);
    for (const std::string spelling : {"-16777200", "4278190096"}) {
        const TTiledMapRead read = ReadTiledMap(Replaced(map, "\"-16777200\"", "\"" + spelling + "\""));
        ASSERT_TRUE(read) << read.Error;
        EXPECT_EQ(read.Map.Stage.BG_Color, 0xFF000010u) << spelling;
    }
}

// Whatever the shape of a map's bytes, the reader holds at most 8 times as
// many at once; the shapes that would cost more are refused unread (above).
TEST(TiledMap, TheReaderHoldsAtMostEightTimesTheMap)
{
    if (!AllocCounter::CountsHeap())
        GTEST_SKIP() << "a sanitizer's allocator holds the heap in this build";
    const std::string map = WriteTiledMap(Sample());
    const std::string mega(1000000, 'a');
    const std::string cases[] = {
        map,
        Replaced(map, "\n</data>", std::string(1000000, ' ') + "\n</data>"),
        Replaced(map, "<property name=\"SI_Bitmap\" value=\"\"/>",
                 "<property name=\"SI_Bitmap\">" + mega + "</property>"),
        Replaced(map, "<properties>", "<x a=\"" + mega + "\"/><properties>"),
        Replaced(map, "<properties>", "<!--" + mega + "--><properties>"),
        Replaced(map, "</map>", Repeated("<a>", 300000)),
    };
    for (const std::string& bytes : cases) {
        AllocCounter::ResetHeapPeak();
        const std::int64_t before = AllocCounter::HeapBytes();
        ReadTiledMap(bytes);
        EXPECT_LE(AllocCounter::PeakHeapBytes() - before, 8 * static_cast<std::int64_t>(bytes.size())) << bytes.size();
    }
}
