// The text map of the live stage: export, and the lenient import through the
// change rules.
#include "editor/RandomGen.h"
#include "storage/TextMap.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::string ReadGolden(const std::string& name)
{
    std::ifstream in(std::string(STAGE_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Replaces the line starting with `key` of an exported text.
std::string WithLine(std::string text, const std::string& key, const std::string& line)
{
    const std::size_t at = text.find("\r\n" + key) + 2;
    text.replace(at, text.find("\r\n", at) - at, line);
    return text;
}

}  // namespace

TEST(ExportTextMap, EmptyStageMatchesTheGoldenFile)
{
    TEditorFixture f;
    f.ApplyEmpty();
    EXPECT_EQ(f.Form.ExportTextMap(), ReadGolden("EmptyStage00.txt"));
}

TEST(ExportTextMap, CellsAndSettings)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.Form.Document.SetStageNum(7);
    f.Form.BG_Color = 0xABCDEF01;
    f.Form.BG_H_Tile = 0;
    f.Form.BG_V_Tile = 255;  // a stored byte other than 0 or 1 is written as it is
    f.Form.EnemyCount[0] = 65535;
    f.Form.EnemyCount[15] = 3;
    f.Form.MaxCount = 41;
    f.SetBG(0, 0, 0);
    f.SetBG(1, 0, 63);
    f.SetBG(2, 0, 254);
    // Codes two digits cannot hold come out as the empty code.
    f.SetBG(3, 0, 255);
    f.SetBG(4, 0, -2);
    f.SetBG(5, 0, 30000);
    f.SetBG(6, 0, -300);
    const auto lines = Lines(f.Form.ExportTextMap());
    ASSERT_EQ(lines.size(), 70u);
    EXPECT_EQ(lines[0], "[Stage07]");
    EXPECT_EQ(lines[3], "BG_Color=$ABCDEF01");
    EXPECT_EQ(lines[4], "BG_H_Tile=0");
    EXPECT_EQ(lines[5], "BG_V_Tile=255");
    EXPECT_EQ(lines[6], "EnemyCount=65535,0,0,0,0,0,0,0,0,0,0,0,0,0,0,3");
    EXPECT_EQ(lines[7], "MaxCount=41");
    EXPECT_EQ(lines[9].substr(0, 26), "BG00=01 40 FF 00 00 00 00 ");
    EXPECT_EQ(lines[9].size(), 125u);
    EXPECT_EQ(lines[69], "[End]");
}

TEST(ImportTextMap, ExportedStagesComeBackExactly)
{
    for (std::uint32_t seed : {0u, 3u, 1000u}) {
        TEditorFixture source;
        source.Form.Document.SetStageNum(static_cast<std::uint16_t>(seed % 100));
        RandomSeed = seed;
        source.Form.GenerateRandomStage();
        source.Form.Caption.Assign(std::string("Round \x80 trip"));
        source.Form.SI_Bitmap.Assign(std::string("in.bmp"));
        source.Form.BG_H_Tile = false;
        source.Form.UpdateTitle();
        const std::string text = source.Form.ExportTextMap();

        TEditorFixture target;
        target.ApplyEmpty();
        ASSERT_TRUE(target.Form.ImportTextMap(text));
        EXPECT_EQ(target.Form.Document.StageNum(), source.Form.Document.StageNum());
        EXPECT_TRUE(SameBytes(target.Capture(), source.Capture()));
        EXPECT_EQ(target.Form.ExportTextMap(), text);
        EXPECT_EQ(target.Form.EnemyTotal, source.Form.EnemyTotal);
        EXPECT_EQ(target.Form.WindowCaption(), source.Form.WindowCaption());
    }
}

TEST(ImportTextMap, LenientReadingOfEachEntry)
{
    TEditorFixture base;
    base.ApplyEmpty();
    const std::string empty = base.Form.ExportTextMap();

    struct Case {
        const char* Name;
        std::string Text;
        std::function<void(TEditorFixture&)> Check;
    };
    const Case cases[] = {
        {"lower-case one-digit header", "junk [stage3] more\r\n",
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.Document.StageNum(), 3);
             EXPECT_EQ(f.Form.Caption.Length, 0);
             EXPECT_EQ(f.Form.BG_Color, DefaultBGColor);
             EXPECT_FALSE(f.Form.BG_H_Tile);
             EXPECT_EQ(f.Form.MaxCount, 0);
             EXPECT_EQ(f.BG(0, 0), -2);  // no row: every cell lacks its pair
             EXPECT_EQ(f.FG(39, 29), -2);
         }},
        {"header without ] takes the one of [End]", "[Stage5\r\nCaption=Lost\r\nMaxCount=4\r\n[End]\r\nMaxCount=6\r\n",
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.Document.StageNum(), 5);
             EXPECT_EQ(f.Form.Caption.Length, 0);
             EXPECT_EQ(f.Form.MaxCount, 6);
         }},
        {"EnemyCount=1,2,3", WithLine(empty, "EnemyCount", "EnemyCount=1,2,3"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.EnemyCount[0], 1);
             EXPECT_EQ(f.Form.EnemyCount[2], 3);
             EXPECT_EQ(f.Form.EnemyCount[3], 0);
             EXPECT_EQ(f.Form.EnemyTotal, 6);
         }},
        {"EnemyCount= empty", WithLine(empty, "EnemyCount", "EnemyCount="),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.EnemyTotal, 0); }},
        {"EnemyCount=-5", WithLine(empty, "EnemyCount", "EnemyCount=-5"),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.EnemyCount[0], 5); }},
        {"EnemyCount overflowing", WithLine(empty, "EnemyCount", "EnemyCount=99999999999,70000"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.EnemyCount[0], static_cast<std::uint16_t>(999999999));
             EXPECT_EQ(f.Form.EnemyCount[1], 9);  // the stopping digit went with it
             EXPECT_EQ(f.Form.EnemyCount[2], static_cast<std::uint16_t>(70000));
         }},
        {"MaxCount=-5", WithLine(empty, "MaxCount", "MaxCount=-5"),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.MaxCount, 65531); }},
        {"BG_Color=$FF", WithLine(empty, "BG_Color", "BG_Color=$FF"),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.BG_Color, 1056808u); }},
        {"BG_Color decimal", WithLine(empty, "BG_Color", "BG_Color=1056808"),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.BG_Color, 1056808u); }},
        {"BG_Color=$00FF00", WithLine(empty, "BG_Color", "BG_Color=$00FF00"),
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.BG_Color, 0xFF00u); }},
        {"tiling values", WithLine(WithLine(empty, "BG_H_Tile", "BG_H_Tile=2"), "BG_V_Tile", "BG_V_Tile=-1"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.BG_H_Tile, 1);  // a number above 0 is 1, whatever it was
             EXPECT_EQ(f.Form.BG_V_Tile, 0);
         }},
        {"short row", WithLine(empty, "BG05", "BG05=01 02"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.BG(0, 5), 0);
             EXPECT_EQ(f.BG(1, 5), 1);
             EXPECT_EQ(f.BG(2, 5), -2);
             EXPECT_EQ(f.BG(39, 5), -2);
         }},
        {"odd pairs", WithLine(empty, "FG00", "FG00=1G  5 FF XX 0"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.FG(0, 0), 0);   // second character no digit: first digit - 1
             EXPECT_EQ(f.FG(1, 0), -1);  // first character no digit: empty
             EXPECT_EQ(f.FG(2, 0), 254);
             EXPECT_EQ(f.FG(3, 0), -1);
             EXPECT_EQ(f.FG(4, 0), -2);  // one character left: no pair
         }},
        {"header above 99", WithLine(empty, "[Stage00]", "[Stage150]"),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.Document.StageNum(), 99);
             EXPECT_EQ(f.Form.Document.StageNum(), 99);
         }},
        {"negative header", "[Stage-3]\r\n", [](TEditorFixture& f) { EXPECT_EQ(f.Form.Document.StageNum(), 0); }},
        {"lower-case keys, first of repeated keys wins",
         "[STAGE1]\r\ncaption=first\r\nCAPTION=second\r\nbg_bitmap=a.bmp\r\nmaxcount=3\r\n",
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.Caption.Str(), "first");
             EXPECT_EQ(f.Form.BG_Bitmap.Str(), "a.bmp");
             EXPECT_EQ(f.Form.MaxCount, 3);
         }},
        {"keys before the header are ignored", "Caption=Before\r\n[Stage1]\r\nCaption=After=Too \r\n",
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.Caption.Str(), "After=Too "); }},
        {"[End] removed once, the text around it joined", "[Stage1]\r\nCapt[end]ion=Z\r\n",
         [](TEditorFixture& f) { EXPECT_EQ(f.Form.Caption.Str(), "Z"); }},
        {"long strings are cut", "[Stage1]\nCaption=" + std::string(200, 'c') + "\nSI_Bitmap=" + std::string(70, 's'),
         [](TEditorFixture& f) {
             EXPECT_EQ(f.Form.Caption.Str(), std::string(63, 'c'));
             EXPECT_EQ(f.Form.SI_Bitmap.Str(), std::string(63, 's'));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditorFixture f;
        f.ApplyEmpty();
        ASSERT_TRUE(f.Form.ImportTextMap(c.Text));
        c.Check(f);
    }
}

TEST(ImportTextMap, ExclusiveCodesInOneCellKeepTheFGCode)
{
    TEditorFixture base;
    base.ApplyEmpty();
    std::string text = WithLine(base.Form.ExportTextMap(), "BG00", "BG00=06 ");
    text = WithLine(text, "FG00", "FG00=1F ");
    TEditorFixture f;
    f.ApplyEmpty();
    ASSERT_TRUE(f.Form.ImportTextMap(text));
    EXPECT_EQ(f.BG(0, 0), -1);
    EXPECT_EQ(f.FG(0, 0), 30);
}

TEST(ImportTextMap, IsOneUndoStep)
{
    TEditorFixture f;
    f.ApplyEmpty();
    const StageRecord before = f.Capture();
    ASSERT_TRUE(f.Form.ImportTextMap("[Stage4]\r\nCaption=New\r\nFG00=29 29\r\n"));
    EXPECT_EQ(f.FG(1, 0), 40);
    EXPECT_EQ(f.Form.History.Count(), 1);
    f.Form.Undo();
    EXPECT_TRUE(SameBytes(f.Capture(), before));
    EXPECT_EQ(f.Form.Document.StageNum(), 4);  // the number is not part of a snapshot
}

TEST(ImportTextMap, TextsWithoutAHeaderFailAndChangeNothing)
{
    const std::string texts[] = {"", "Caption=x\r\n", "[Stag1]", "[STAGE 1 without bracket\r\nCaption=x",
                                 std::string("[Sta\0ge1]", 9)};
    for (const auto& text : texts) {
        TEditorFixture f;
        f.ApplyEmpty();
        f.Form.Document.SetStageNum(8);
        const StageRecord before = f.Capture();
        const std::string title = f.Form.WindowCaption();
        EXPECT_FALSE(f.Form.ImportTextMap(text));
        EXPECT_TRUE(SameBytes(f.Capture(), before));
        EXPECT_EQ(f.Form.WindowCaption(), title);
        EXPECT_EQ(f.Form.Document.StageNum(), 8);
        // The import's own step is left as a redo step that returns the same stage.
        EXPECT_EQ(f.Form.History.Position(), -1);
        EXPECT_TRUE(f.Host.RedoEnabled);
        f.Form.Redo();
        EXPECT_TRUE(SameBytes(f.Capture(), before));
    }
}

TEST(ImportTextMap, ArbitraryBytesNeverLeaveTheArrays)
{
    std::uint32_t state = 7;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    const char pieces[][12] = {"[Stage", "]", "\r\n",        "\n",       "\r",    "=",        "BG0",  "FG1", "$",
                               "-",      ",", "EnemyCount=", "Caption=", "[End]", "99999999", "\x80", "0x"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int parts = static_cast<int>(next() % 200);
        for (int i = 0; i < parts; ++i) {
            if (next() % 3 == 0)
                text += pieces[next() % std::size(pieces)];
            else
                text.push_back(static_cast<char>(next()));
        }
        TEditorFixture f;
        f.ApplyEmpty();
        f.Form.ImportTextMap(text);
        f.Form.ImportTextMap(NormaliseTextLines(text));
        EXPECT_LE(f.Form.Document.StageNum(), 99);
        EXPECT_EQ(Lines(f.Form.ExportTextMap()).size(), 70u);
    }
    // One huge line without breaks, and a huge row value.
    TEditorFixture f;
    f.ApplyEmpty();
    EXPECT_TRUE(f.Form.ImportTextMap("[Stage2]" + std::string(1 << 20, 'A')));
    EXPECT_TRUE(f.Form.ImportTextMap("[Stage2]\nBG00=" + std::string(1 << 20, 'F')));
    EXPECT_EQ(f.BG(39, 0), 254);
}

// Every possible pair of bytes reads as the number "$" + pair, minus one.
TEST(ImportTextMap, EveryCellPairReadsAsItsHexNumber)
{
    TEditorFixture f;
    f.ApplyEmpty();
    int pair = 0;
    while (pair < 65536) {
        std::string text = "[Stage1]\r\n";
        std::vector<int> expected;
        for (int y = 0; y < 30; ++y) {
            std::string row = y < 10 ? "BG0" + std::to_string(y) + "=" : "BG" + std::to_string(y) + "=";
            for (int x = 0; x < 40; ++x, ++pair) {
                char a = static_cast<char>(pair >> 8), b = static_cast<char>(pair & 255);
                if (a == '\r' || a == '\n' || b == '\r' || b == '\n')
                    a = b = 'G';  // line breaks would end the row
                row += a;
                row += b;
                row += ' ';
                const char number[3] = {'$', a, b};
                expected.push_back(ReadNumber(std::string_view(number, 3)).Value - 1);
            }
            text += row + "\r\n";
        }
        ASSERT_TRUE(f.Form.ImportTextMap(text));
        for (int y = 0, i = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x, ++i) {
                int code = expected[static_cast<std::size_t>(i)];
                if (code >= 4 && code <= 7 && f.FG(x, y) >= 24 && f.FG(x, y) <= 63)
                    code = -1;
                ASSERT_EQ(f.BG(x, y), code) << "pair " << (pair - 1200 + i);
            }
    }
}
