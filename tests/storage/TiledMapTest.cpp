// Tiled maps on records: every encoding a designer's Tiled writes, what is
// refused, what is only noted, and the texts byte for byte.
#include "stage/StageRecord.h"
#include "storage/TiledLayerData.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"
#include "support/TiledKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// A stage whose cells use every tile, with settings off their defaults.
TTiledStage Sample()
{
    TTiledStage stage{};
    EmptyStage(stage.Stage);
    StageRecord& record = stage.Stage;
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            record.BG[x][y] = static_cast<std::int16_t>((x * 7 + y * 13) % 65 - 1);
            record.FG[x][y] = static_cast<std::int16_t>((x * 11 + y * 3) % 65 - 1);
            stage.Shadows[x][y] = static_cast<std::int16_t>(16 + (x + y) % 8);
        }
    record.Caption.Assign(std::string("Twin \x80 Rivers \xE9"));
    record.BG_Bitmap.Assign(std::string("Sky\\big.BMP"));
    record.BG_Color = 0x00ABCDEF;
    record.BG_H_Tile = 0;
    record.MaxCount = 65535;
    for (int type = 0; type < EnemyTypeCount; ++type)
        record.EnemyCount[type] = static_cast<std::uint16_t>(type * 4097);
    stage.Picture = "../Map/Sky/big.BMP";
    stage.PictureShown = true;
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

}  // namespace

TEST(TiledMap, EveryEncodingAndTilesetPlacementReadsTheSameCells)
{
    const TTiledStage stage = Sample();
    const std::string map = WriteTiledMap(stage);
    // Another tileset first moves the stage's tiles to firstgid 5.
    const std::string other =
        "<tileset firstgid=\"1\" name=\"Notes\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"4\" columns=\"2\">"
        "<image source=\"notes.png\" width=\"32\" height=\"32\"/></tileset>";
    const std::string embedded =
        "<tileset firstgid=\"5\" name=\"Back\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"64\" columns=\"16\">"
        "<image source=\"tiles.png\" width=\"256\" height=\"64\"/><tile id=\"0\"><animation>"
        "<frame tileid=\"1\" duration=\"16\"/></animation></tile></tileset>";
    struct Case {
        TPacking Packing;
        std::string Tilesets;  // replacing the map's own tileset reference
        std::uint32_t FirstGid;
    };
    std::vector<Case> cases = {
        {TPacking::Csv, "", 1},
        {TPacking::Base64, "", 1},
        {TPacking::Zlib, other + "<tileset firstgid=\"5\" source=\"../shared/tiles.tsx\"/>", 5},
        {TPacking::Gzip, other + embedded, 5},
        {TPacking::XmlTiles, "<tileset firstgid=\"100\" source=\"tiles.tsx\"/>" + other, 100},
    };
#if STAGE_HAVE_ZSTD
    cases.push_back({TPacking::Zstd, "", 1});
#endif
    for (const Case& c : cases) {
        std::string variant = WithLayerData(map, "BG", DataElement(GidsOf(stage.Stage.BG, c.FirstGid), c.Packing));
        variant = WithLayerData(variant, "FG", DataElement(GidsOf(stage.Stage.FG, c.FirstGid), c.Packing));
        if (!c.Tilesets.empty())
            variant = Replaced(variant, "<tileset firstgid=\"1\" source=\"tiles.tsx\"/>", c.Tilesets);
        const TTiledMapRead read = ReadTiledMap(variant);
        ASSERT_TRUE(read) << static_cast<int>(c.Packing) << ": " << read.Error;
        EXPECT_TRUE(SameCells(read.Map.Stage, stage.Stage)) << static_cast<int>(c.Packing);
    }
}

TEST(TiledMap, LayersAndPropertiesAreFoundInAnyOrder)
{
    TTiledStage stage = Sample();
    stage.Stage.Caption.Assign(std::string("One line"));
    std::string map = WriteTiledMap(stage);
    // FG first, inside a group, and the properties after the layers, reversed.
    const std::size_t propertiesStart = map.find(" <properties>");
    const std::size_t propertiesEnd = map.find("</properties>\n") + 14;
    std::string properties = map.substr(propertiesStart, propertiesEnd - propertiesStart);
    map.erase(propertiesStart, propertiesEnd - propertiesStart);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < properties.size();) {
        const std::size_t end = properties.find('\n', at) + 1;
        lines.push_back(properties.substr(at, end - at));
        at = end;
    }
    std::string reversed = lines.front();
    for (std::size_t i = lines.size() - 2; i > 0; --i)
        reversed += lines[i];
    reversed += lines.back();
    const std::size_t bgStart = map.find(" <layer id=\"2\" name=\"BG\"");
    const std::size_t fgStart = map.find(" <layer id=\"4\" name=\"FG\"");
    const std::string bg = map.substr(bgStart, map.find("</layer>", bgStart) + 9 - bgStart);
    const std::string fg = map.substr(fgStart, map.find("</layer>", fgStart) + 9 - fgStart);
    map.erase(fgStart, fg.size());
    map.erase(bgStart, bg.size());
    map = Replaced(map, "</map>", "<group name=\"Stage\">" + fg + bg + "</group>" + reversed + "</map>");
    const TTiledMapRead read = ReadTiledMap(map);
    ASSERT_TRUE(read) << read.Error;
    EXPECT_TRUE(read.Notes.empty()) << Notes(read);
    EXPECT_EQ(std::memcmp(&read.Map.Stage, &stage.Stage, sizeof(StageRecord)), 0);
}

TEST(TiledMap, WhatAStageCannotBeIsRefused)
{
    const std::string map = WriteTiledMap(Sample());
    const auto flipped = GidsOf(Sample().Stage.FG);
    struct Case {
        std::string Error;  // part of the refusal
        std::function<std::string(const std::string&)> Change;
    };
    const auto replace = [](std::string from, std::string to) {
        return [from, to](const std::string& m) { return Replaced(m, from, to); };
    };
    const auto withFG = [](std::vector<std::uint32_t> gids, std::size_t cell, std::uint32_t gid) {
        gids[cell] = gid;
        return [gids](const std::string& m) { return WithLayerData(m, "FG", DataElement(gids, TPacking::Csv)); };
    };
    const Case cases[] = {
        {"not well-formed XML", [](const std::string& m) { return m.substr(0, m.size() / 2); }},
        {"no Tiled map: its first element is <tileset>", [](const std::string&) { return "<tileset/>"; }},
        {"the map is isometric", replace("orthogonal", "isometric")},
        {"the map is infinite", replace("infinite=\"0\"", "infinite=\"1\"")},
        {"the map is 41 x 30 tiles", replace("width=\"40\"", "width=\"41\"")},
        {"the map's tiles are 32 x 16 pixels", replace("tilewidth=\"16\"", "tilewidth=\"32\"")},
        {"no tile layer named BG", replace("name=\"BG\"", "name=\"Ground\"")},
        {"no tile layer named FG", replace("name=\"FG\"", "name=\"Front\"")},
        {"two tile layers are named BG", replace("name=\"Shadows\"", "name=\"BG\"")},
        {"layer FG is 40 x 29 tiles",
         replace("name=\"FG\" width=\"40\" height=\"30\"", "name=\"FG\" width=\"40\" height=\"29\"")},
        {"layer FG, column 2, row 1: the tile is flipped or rotated, which the game cannot draw (2 cells in all)",
         [&](const std::string& m) {
             auto gids = flipped;
             gids[42] |= 0x80000000u;
             gids[1199] |= 0x20000000u;
             return WithLayerData(m, "FG", DataElement(gids, TPacking::Csv));
         }},
        {"layer FG, column 5, row 0: tile 64 is beyond the stage's 64 tiles", withFG(flipped, 5, 65)},
        {"layer BG, column 1, row 0: a tile from the tileset \"grass.tsx\"",
         replace("<tileset firstgid=\"1\" source=\"tiles.tsx\"/>",
                 "<tileset firstgid=\"1\" source=\"grass.tsx\"/><tileset firstgid=\"30\" source=\"tiles.tsx\"/>")},
        {"belongs to no tileset", replace("firstgid=\"1\"", "firstgid=\"70\"")},
        {"layer BG holds 1199 cells, not the map's 1200",
         [&](const std::string& m) {
             auto gids = flipped;
             gids.pop_back();
             return WithLayerData(m, "BG", DataElement(gids, TPacking::XmlTiles));
         }},
        {"layer FG: its CSV data holds more than the 1200 cells",
         [&](const std::string& m) {
             auto gids = flipped;
             gids.push_back(0);
             return WithLayerData(m, "FG", DataElement(gids, TPacking::Csv));
         }},
        {"layer FG: its CSV data holds \"x3\" where a tile number should be (cell 2)",
         [](const std::string& m) { return WithLayerData(m, "FG", "<data encoding=\"csv\">1,2,x3</data>"); }},
        {"layer BG: its base64 data is damaged",
         [](const std::string& m) { return WithLayerData(m, "BG", "<data encoding=\"base64\">QUJD*</data>"); }},
        {"layer BG: its zlib data ends too soon",
         [&](const std::string& m) {
             const std::string whole = Deflated(LittleEndian(flipped), false);
             return WithLayerData(m, "BG",
                                  "<data encoding=\"base64\" compression=\"zlib\">"
                                      + Base64(whole.substr(0, whole.size() / 2)) + "</data>");
         }},
        {"layer BG: its data holds 4796 bytes, not the 4800",
         [&](const std::string& m) {
             const std::string bytes = LittleEndian(flipped).substr(4);
             return WithLayerData(
                 m, "BG",
                 "<data encoding=\"base64\" compression=\"gzip\">" + Base64(Deflated(bytes, true)) + "</data>");
         }},
        {"layer FG is stored in chunks",
         [](const std::string& m) {
             return WithLayerData(m, "FG", "<data encoding=\"csv\"><chunk x=\"0\" y=\"0\">1</chunk></data>");
         }},
        {"the property MaxCount is of type string; it must be int",
         replace("name=\"MaxCount\" type=\"int\"", "name=\"MaxCount\"")},
        {"the property BG_Bitmap is of type file; it must be string",
         replace("name=\"BG_Bitmap\"", "name=\"BG_Bitmap\" type=\"file\"")},
        {"MaxCount is 65536; it must be within 0..65535", replace("\"65535\"", "\"65536\"")},
        {"the property Enemy01 holds \"4097.5\", which is no whole number", replace("\"4097\"", "\"4097.5\"")},
        {"Caption holds \"\xE2\x82\xAC\" (U+20AC), which a stage cannot store", replace("Twin", "Twin \xE2\x82\xAC")},
        {"Caption holds the control character U+0009", replace("Twin", "Twin&#9;")},
        {"its layer groups are nested more than 100 deep",
         [](const std::string& m) {
             std::string deep;
             for (int i = 0; i < 5000; ++i)
                 deep += "<group>";
             return Replaced(m, "</map>", deep);
         }},
    };
    for (const Case& c : cases) {
        const TTiledMapRead read = ReadTiledMap(c.Change(map));
        EXPECT_FALSE(read) << c.Error;
        EXPECT_NE(read.Error.find(c.Error), std::string::npos) << read.Error;
        EXPECT_TRUE(read.Notes.empty()) << Notes(read);
    }
}

// A layer that would inflate far beyond the map is refused, whichever
// compression packs it, without being inflated.
TEST(TiledMap, LayerDataIsBoundedBeforeItIsInflated)
{
    const std::string huge(8u << 20, '\0');
    std::vector<std::string> packed = {Deflated(huge, false), Deflated(huge, true)};
    std::vector<std::string> names = {"zlib", "gzip"};
#if STAGE_HAVE_ZSTD
    packed.push_back(ZstdPacked(huge));
    names.push_back("zstd");
#endif
    for (std::size_t i = 0; i < packed.size(); ++i) {
        const TTiledLayerData data = DecodeTiledLayerData("base64", names[i], Base64(packed[i]), 1200);
        EXPECT_NE(data.Error.find("larger than the 4800 bytes the map's 1200 cells need"), std::string::npos)
            << names[i] << ": " << data.Error;
    }
    EXPECT_NE(DecodeTiledLayerData("base64", "", Base64(std::string(4804, '\0')), 1200).Error.find("4804 bytes"),
              std::string::npos);
    EXPECT_NE(DecodeTiledLayerData("base64", "lzma", "", 1200).Error.find("\"lzma\""), std::string::npos);
    EXPECT_NE(DecodeTiledLayerData("xml", "", "", 1200).Error.find("\"xml\""), std::string::npos);
}

TEST(TiledMap, WhatIsIgnoredOrTakenInsteadGetsOneLine)
{
    const std::string map = WriteTiledMap(Sample());
    struct Case {
        std::string Note;  // the one note expected
        std::function<std::string(const std::string&)> Change;
    };
    const auto replace = [](std::string from, std::string to) {
        return [from, to](const std::string& m) { return Replaced(m, from, to); };
    };
    const Case cases[] = {
        {"missing properties take the empty stage's values: SI_Bitmap \"\", MaxCount 5",
         [](const std::string& m) {
             std::string out = m;
             for (const char* name : {"SI_Bitmap", "MaxCount"}) {
                 const std::size_t at = out.rfind('\n', out.find(std::string("name=\"") + name + "\""));
                 out.erase(at, out.find('\n', at + 1) - at);
             }
             return out;
         }},
        {"ignoring the map property \"Maxcount\", which is no stage setting",
         replace("<properties>", "<properties><property name=\"Maxcount\" type=\"int\" value=\"3\"/>")},
        {"the map property Caption is given twice; the first is kept",
         replace("</properties>", "<property name=\"Caption\" value=\"Late\"/></properties>")},
        {"Caption is cut to its first 63 characters", replace("Twin", std::string(70, 'w'))},
        {"ignoring the object layer \"Notes\" (2 objects)",
         replace("</map>",
                 "<objectgroup id=\"9\" name=\"Notes\"><object id=\"1\"/><object id=\"2\"/></objectgroup></map>")},
        {"ignoring the tile layer \"Sketch\"",
         replace("</map>", "<layer id=\"9\" name=\"Sketch\" width=\"40\" height=\"30\"><data>x</data></layer></map>")},
        {"ignoring the image layer \"Photo\"", replace("name=\"Picture\"", "name=\"Photo\"")},
        {"the map's background colour #112233 differs from BG_Color 11259375 (#efcdab), which is kept",
         replace("backgroundcolor=\"#efcdab\"", "backgroundcolor=\"#ff112233\"")},
        {"the map has no background colour; BG_Color 11259375 (#efcdab) is kept",
         replace(" backgroundcolor=\"#efcdab\"", "")},
        {"the image layer Picture (\"../Map/desert.jpg\", repeated down) differs from BG_Bitmap \"Sky\\big.BMP\" with "
         "BG_H_Tile 0 "
         "and BG_V_Tile 1, which are kept",
         replace("../Map/Sky/big.BMP", "../Map/desert.jpg")},
        {"the image layer Picture (\"../Map/Sky/big.BMP\", repeated across, repeated down) differs",
         replace("name=\"Picture\"", "name=\"Picture\" repeatx=\"1\"")},
    };
    for (const Case& c : cases) {
        const TTiledMapRead read = ReadTiledMap(c.Change(map));
        ASSERT_TRUE(read) << c.Note << ": " << read.Error;
        ASSERT_EQ(read.Notes.size(), 1u) << c.Note << "\n" << Notes(read);
        EXPECT_NE(read.Notes[0].find(c.Note), std::string::npos) << read.Notes[0];
        EXPECT_TRUE(SameCells(read.Map.Stage, Sample().Stage)) << c.Note;
    }
    // Our own layers are passed over in silence, and the picture's folder
    // may be spelt in any case.
    const TTiledMapRead read = ReadTiledMap(Replaced(map, "../Map/Sky/big.BMP", "../MAP/sky/BIG.bmp"));
    EXPECT_TRUE(read.Notes.empty()) << Notes(read);
}

// Record strings are single bytes: 0x20..0xFF come back as they were, the
// line break mark as a line break (written as the element's text), in every
// string; a CR LF written by hand is one mark too.
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
    const std::string map = WriteTiledMap(Sample());
    const TTiledMapRead read = ReadTiledMap(Replaced(map, "<property name=\"SI_Bitmap\" value=\"\"/>",
                                                     "<property name=\"SI_Bitmap\">one&#13;\ntwo\rthree</property>"));
    ASSERT_TRUE(read) << read.Error;
    EXPECT_EQ(read.Map.Stage.SI_Bitmap.Str(), "one\x80two\x80three");
}

TEST(TiledMap, SettingsAsProperties)
{
    StageRecord record;
    EmptyStage(record);
    record.BG_Color = 0xFF000010;  // no colour: Tiled keeps ints in signed 32 bits
    record.BG_V_Tile = 2;
    const std::vector<TTiledProperty> properties = StageProperties(record);
    ASSERT_EQ(properties.size(), 23u);
    EXPECT_EQ(properties[3].Value, "-16777200");
    EXPECT_EQ(properties[5].Value, "2");
    EXPECT_EQ(properties[22].Name, "Enemy15");
    StageRecord back;
    EmptyStage(back);
    back.BG_Color = 0;
    const TStagePropertiesRead read = ReadStageProperties(properties, back);
    EXPECT_TRUE(read.Error.empty() && read.Notes.empty());
    EXPECT_EQ(std::memcmp(&back, &record, sizeof record), 0);
    // The unsigned spelling reads the same.
    back.BG_Color = 0;
    EXPECT_TRUE(ReadStageProperties({{"BG_Color", "int", "4278190096"}}, back).Error.empty());
    EXPECT_EQ(back.BG_Color, 0xFF000010u);
    EXPECT_EQ(TiledColor(DefaultBGColor), "#282010");
    EXPECT_EQ(TiledColor(0xFF000010), "");
}

// Every cut of a good map is read or refused, never more: what a fuzzer
// would feed the reader first.
TEST(TiledMap, CutMapsAreRefusedCleanly)
{
    const std::string map = WriteTiledMap(Sample());
    for (std::size_t length = 0; length < map.rfind("</map>") + 6; length += 61)
        EXPECT_FALSE(ReadTiledMap(map.substr(0, length))) << length;
}
