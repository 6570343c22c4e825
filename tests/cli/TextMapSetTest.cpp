// Stages through their text maps: what comes back and what is warned about.
#include "cli/CheckReport.h"
#include "cli/TextMapSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

StageRecord Empty()
{
    StageRecord record;
    EmptyStage(record);
    return record;
}

bool Same(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST(TextMapSet, WhatATextMapCannotCarryIsNamed)
{
    struct Case {
        const char* What;  // part of the one loss expected; null: none
        std::function<void(StageRecord&)> Change;
    };
    const Case cases[] = {
        {nullptr, [](StageRecord& r) { r.Caption.Assign(std::string("A caption \x80 with a mark \xFF")); }},
        {nullptr,
         [](StageRecord& r) {
             r.BG[5][5] = 254;
             r.FG[0][0] = 63;
             r.BG_Color = 0xFF123456;
         }},
        {nullptr,
         [](StageRecord& r) {
             r.BG_H_Tile = 0;
             r.EnemyCount[15] = 65535;
             r.MaxCount = 65535;
         }},
        {"EnemyCount slots 16..31", [](StageRecord& r) { r.EnemyCount[31] = 1; }},
        {"reserved bytes", [](StageRecord& r) { r.Reserved3[911] = 1; }},
        {"past the end of BG_Bitmap", [](StageRecord& r) { r.BG_Bitmap.Chars[40] = 'x'; }},
        {"past the end of Caption",
         [](StageRecord& r) {
             r.Caption.Assign(std::string(63, 'x'));
             r.Caption.Length = 64;
         }},
        {"SI_Bitmap holds a NUL", [](StageRecord& r) { r.SI_Bitmap.Assign(std::string("a\0b", 3)); }},
        {"Caption holds a line break", [](StageRecord& r) { r.Caption.Assign(std::string("a\nb")); }},
        {"BG_V_Tile is 255", [](StageRecord& r) { r.BG_V_Tile = 255; }},
        {"1 cell holds codes outside", [](StageRecord& r) { r.FG[39][29] = 255; }},
        {"2 cells hold codes outside",
         [](StageRecord& r) {
             r.BG[0][0] = -2;
             r.BG[1][0] = -300;
         }},
        {"BG 4..7 under FG 24..63",
         [](StageRecord& r) {
             r.BG[3][3] = 4;
             r.FG[3][3] = 24;
         }},
        {"reads back differently", [](StageRecord& r) { r.Caption.Assign(std::string("The [End] of it")); }},
    };
    for (const Case& c : cases) {
        StageRecord record = Empty();
        c.Change(record);
        const std::vector<std::string> losses = TextMapLosses(record, ExportedTextMap(12, record));
        const auto back = ImportedTextMap(ExportedTextMap(12, record));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->Number, 12);
        if (!c.What) {
            EXPECT_TRUE(losses.empty()) << losses.front();
            EXPECT_TRUE(Same(back->Record, record));
            continue;
        }
        ASSERT_EQ(losses.size(), 1u) << c.What;
        EXPECT_NE(losses[0].find(c.What), std::string::npos) << losses[0];
        EXPECT_FALSE(Same(back->Record, record)) << c.What;
    }
}

TEST(TextMapSet, ImportTakesTheHeadersNumberAsTheImportDoes)
{
    struct Case {
        const char* Text;
        int Number;  // -1: no header
    };
    const Case cases[] = {{"[Stage07]\r\n", 7}, {"[stage 42]\n", 42}, {"[Stage$63]", 99},     {"[Stage-5]", 0},
                          {"[Stage65636]", 99}, {"[Stage65537]", 1},  {"no header here", -1}, {"[Stage3", -1}};
    for (const Case& c : cases) {
        const auto stage = ImportedTextMap(c.Text);
        EXPECT_EQ(stage ? stage->Number : -1, c.Number) << c.Text;
    }
}

TEST(TextMapSet, NamesAreTwoDigitsAndTxt)
{
    EXPECT_EQ(TextMapName(0), "00.txt");
    EXPECT_EQ(TextMapName(99), "99.txt");
    EXPECT_EQ(TextMapName(100), "");
    for (const char* name : {"7.txt", "007.txt", "07.TXT", "07.txt~", "ab.txt", "07txt", ".07.txt"})
        EXPECT_EQ(TextMapNumber(name), -1) << name;
    EXPECT_EQ(TextMapNumber("07.txt"), 7);
    EXPECT_EQ(TextMapNumber("99.txt"), 99);
}

TEST(CheckReport, FoldsLongRunsOfOneCellMessagePerStage)
{
    TCheckReport report;
    report.Stages = 3;
    const auto cell = [](int stage, int column, const char* message) {
        TFinding f;
        f.Severity = TSeverity::Error;
        f.Stage = stage;
        f.Layer = TFindingLayer::BG;
        f.Column = column;
        f.Row = 0;
        f.Message = message;
        return f;
    };
    for (int x = 0; x < 3; ++x)
        report.Findings.push_back(cell(1, x, "three"));  // not folded
    for (int x = 0; x < 6; ++x) {
        report.Findings.push_back(cell(2, x, "six"));
        report.Findings.push_back(cell(2, x, "other"));
    }
    report.Findings.push_back(cell(2, 9, "one"));
    EXPECT_EQ(CheckReportText(report),
              "01 error BG 0,0: three\n01 error BG 1,0: three\n01 error BG 2,0: three\n"
              "02 error BG 0,0: six (and 5 more cells like it)\n"
              "02 error BG 0,0: other (and 5 more cells like it)\n"
              "02 error BG 9,0: one\n"
              "3 stages checked: 16 errors, 0 warnings, 0 notes\n");
    EXPECT_EQ(CheckReportJson(TCheckReport{}), "[]\n");
}
