// The stage checks: each rule on its own, pictures that would not show, and
// the findings as text and JSON.
#include "check/FindingFormat.h"
#include "check/PictureCheck.h"
#include "check/StageCheck.h"
#include "support/EngineTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A stage with nothing to report.
StageRecord GoodStage()
{
    StageRecord r;
    EmptyStage(r);
    r.Caption.Assign(std::string("Good"));
    r.EnemyCount[3] = 1;
    return r;
}

struct TChecked {
    fs::path Folder;
    TPictureCheck Pictures;

    explicit TChecked(const std::string& name)
        : Folder(fs::path(testing::TempDir()) / ("check-" + name)), Pictures(Folder)
    {
        fs::remove_all(Folder);
        fs::create_directories(Folder / "Map");
    }
    ~TChecked() { fs::remove_all(Folder); }

    std::vector<TFinding> Check(const StageRecord& r, int number = 7) { return CheckStage(number, r, Pictures); }
};

std::string Summary(const std::vector<TFinding>& findings)
{
    std::string out;
    for (const TFinding& f : findings)
        out += std::string(SeverityName(f.Severity)) + " " + FindingWhere(f) + ";";
    return out;
}

}  // namespace

TEST(CheckStage, AGoodStageHasNoFindings)
{
    TChecked c("good");
    EXPECT_EQ(Summary(c.Check(GoodStage())), "");
}

TEST(CheckStage, CodesThePaletteNeverPaintsAreErrors)
{
    struct Case {
        int Code;
        bool Error;
    };
    const Case cases[] = {{-32768, true}, {-3, true}, {-2, true},  {-1, false}, {0, false}, {7, false},  {15, false},
                          {16, true},     {23, true}, {24, false}, {63, false}, {64, true}, {254, true}, {32767, true}};
    TChecked c("codes");
    for (const Case& k : cases)
        for (const bool foreground : {false, true}) {
            StageRecord r = GoodStage();
            (foreground ? r.FG : r.BG)[12][5] = static_cast<std::int16_t>(k.Code);
            const auto findings = c.Check(r);
            const std::string expected = k.Error ? std::string("error ") + (foreground ? "FG" : "BG") + " 12,5;" : "";
            EXPECT_EQ(Summary(findings), expected) << k.Code << (foreground ? " FG" : " BG");
            if (k.Error) {
                EXPECT_NE(findings[0].Message.find(std::to_string(k.Code)), std::string::npos) << findings[0].Message;
            }
        }
    StageRecord r = GoodStage();
    r.BG[0][0] = -2;
    EXPECT_NE(c.Check(r)[0].Message.find("incomplete text map import"), std::string::npos);
}

TEST(CheckStage, TheFlagsSquareAndTheTopCornersStayClear)
{
    struct Case {
        bool Foreground;
        int Column;
        int Row;
        bool Warning;
    };
    const Case cases[] = {
        {false, 19, 28, true},  {true, 20, 29, true},  {false, 20, 28, true}, {true, 19, 29, true},
        {false, 18, 28, false}, {true, 21, 29, false}, {true, 19, 27, false},  // beside the flag
        {true, 0, 0, true},     {true, 2, 1, true},    {true, 37, 0, true},   {true, 39, 1, true},
        {true, 3, 0, false},    {true, 36, 1, false},  {true, 0, 2, false},   {true, 39, 2, false},
        {false, 0, 0, false},   {false, 39, 1, false},  // ground in a corner is fine
    };
    TChecked c("areas");
    for (const Case& k : cases) {
        StageRecord r = GoodStage();
        (k.Foreground ? r.FG : r.BG)[k.Column][k.Row] = 2;
        const std::string where =
            std::string(k.Foreground ? "FG " : "BG ") + std::to_string(k.Column) + "," + std::to_string(k.Row);
        EXPECT_EQ(Summary(c.Check(r)), k.Warning ? "warning " + where + ";" : "") << where;
    }
    // Both layers of one flag cell, and a bad code there: each reported.
    StageRecord r = GoodStage();
    r.BG[19][28] = 1;
    r.FG[19][28] = 20;
    EXPECT_EQ(Summary(c.Check(r)), "error FG 19,28;warning BG 19,28;warning FG 19,28;");
}

TEST(CheckStage, SettingsAndTheEmptyRecord)
{
    TChecked c("settings");
    StageRecord r = GoodStage();
    r.EnemyCount[3] = 0;
    r.EnemyCount[16] = 9;  // no enemy type: the total stays 0
    r.MaxCount = 0;
    r.Caption.Assign(std::string("Undefined Stage"));
    r.BG[1][1] = 99;
    EXPECT_EQ(Summary(c.Check(r)), "error BG 1,1;warning EnemyTotal;warning MaxCount;note Caption;");

    StageRecord empty;
    EmptyStage(empty);
    const auto findings = c.Check(empty, 42);
    EXPECT_EQ(Summary(findings), "note record;");
    EXPECT_EQ(findings[0].Stage, 42);
    // One byte off the empty record: a stage of its own, checked as such.
    empty.BG_Color = 1;
    EXPECT_EQ(Summary(c.Check(empty)), "warning EnemyTotal;note Caption;");
}

TEST(CheckStage, PicturesThatWouldNotShowAreErrors)
{
    TChecked c("pictures");
    const auto bmp = MakeBmpFile(CheckerSpec(32, 32, 8, {0x102030, 0x405060}));
    const auto jpeg = MakeJpeg(16, 16, std::vector<std::uint32_t>(256, 0x806040));
    const fs::path map = c.Folder / "Map";
    WriteFile((map / "good.bmp").string(), bmp);
    WriteFile((map / "Good.JPEG").string(), jpeg);
    WriteFile((map / "cut.bmp").string(), std::vector<std::uint8_t>(bmp.begin(), bmp.end() - 300));
    WriteFile((map / "cut.jpg").string(), std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 40));
    WriteFile((map / "huge.bmp").string(), MakeBmpFile(CheckerSpec(9000, 1, 1, {0, 0xFFFFFF})));
    WriteFile((map / "jpeg.bmp").string(), jpeg);  // another format under the name
    WriteFile((map / "pic.png").string(), bmp);
    fs::create_directories(map / "folder.bmp");
    fs::create_directories(map / "sub");
    WriteFile((map / "sub" / "deep.bmp").string(), bmp);

    struct Case {
        const char* Name;
        const char* Problem;  // part of the message; null: shows
    };
    const Case cases[] = {
        {"good.bmp", nullptr},
        {"GOOD.BMP", nullptr},
        {"good.jpeg", nullptr},
        {"sub\\deep.bmp", nullptr},
        {"missing.bmp", "is not in Map"},
        {"folder.bmp", "is not a file"},
        {"pic.png", "not a picture the editor loads"},
        {"cut.bmp", "cannot be read"},
        {"cut.jpg", "cannot be read"},
        {"huge.bmp", "too large"},
        {"jpeg.bmp", "cannot be read"},
    };
    for (const Case& k : cases)
        for (const bool stageIn : {false, true}) {
            StageRecord r = GoodStage();
            (stageIn ? r.SI_Bitmap : r.BG_Bitmap).Assign(std::string(k.Name));
            const auto findings = c.Check(r);
            if (!k.Problem) {
                EXPECT_TRUE(findings.empty()) << k.Name << ": " << Summary(findings);
                continue;
            }
            ASSERT_EQ(findings.size(), 1u) << k.Name;
            EXPECT_EQ(findings[0].Severity, TSeverity::Error);
            EXPECT_EQ(findings[0].Field, stageIn ? "SI_Bitmap" : "BG_Bitmap");
            EXPECT_NE(findings[0].Message.find(k.Name), std::string::npos) << findings[0].Message;
            EXPECT_NE(findings[0].Message.find(k.Problem), std::string::npos) << findings[0].Message;
        }
    // Each file was decoded once, however many stages named it.
    EXPECT_EQ(c.Pictures.Decodes(), 7);

    // A picture mended under its name is read again.
    WriteFile((map / "cut.bmp").string(), bmp);
    StageRecord r = GoodStage();
    r.BG_Bitmap.Assign(std::string("cut.bmp"));
    EXPECT_TRUE(c.Check(r).empty());
}

TEST(FindingFormat, LinesAndJson)
{
    TFinding field;
    field.Severity = TSeverity::Error;
    field.Stage = 7;
    field.Field = "BG_Bitmap";
    field.Message = "\"sky\x80\x01.bmp\" is not in Map";
    EXPECT_EQ(FindingLine(field), "07 error BG_Bitmap: \"sky\x80?.bmp\" is not in Map");
    EXPECT_EQ(FindingJson(field),
              "{\"stage\":7,\"severity\":\"error\",\"field\":\"BG_Bitmap\","
              "\"message\":\"\\\"sky\\u0080\\u0001.bmp\\\" is not in Map\"}");

    TFinding cell;
    cell.Severity = TSeverity::Warning;
    cell.Stage = 123;
    cell.Layer = TFindingLayer::FG;
    cell.Column = 39;
    cell.Row = 0;
    cell.Message = "m";
    EXPECT_EQ(FindingLine(cell), "123 warning FG 39,0: m");
    EXPECT_EQ(FindingJson(cell),
              "{\"stage\":123,\"severity\":\"warning\",\"layer\":\"FG\",\"column\":39,\"row\":0,\"message\":\"m\"}");

    const std::pair<std::string, std::string> strings[] = {
        {"", "\"\""},
        {"a\\b\"c", "\"a\\\\b\\\"c\""},
        {"\r\n\t", "\"\\r\\n\\t\""},
        {std::string("\0\x1F\x7F", 3), "\"\\u0000\\u001F\\u007F\""},
        {"\xFF\xC3\xA9", "\"\\u00FF\\u00C3\\u00A9\""},  // single bytes, never read as UTF-8
    };
    for (const auto& [bytes, json] : strings)
        EXPECT_EQ(JsonString(bytes), json);
}
