// The stage's rules on records alone. That they give the editor's results
// exactly is the property test's (tests/editor/StagePathsAgreeTest.cpp);
// these pin the rules themselves.
#include "stage/StageRules.h"
#include "stage/TextMapStage.h"

#include <gtest/gtest.h>

namespace {

StageRecord Empty()
{
    StageRecord record;
    EmptyStage(record);
    return record;
}

}  // namespace

TEST(StageRules, WriteCellKeepsTheLaterOfTwoExclusiveCodes)
{
    struct Case {
        int BG, FG;  // the cell before
        TStageLayer Layer;
        int Code;
        int WantBG, WantFG;
    };
    // clang-format off
    const Case cases[] = {
        {5, -1, TStageLayer::FG, 30, -1, 30},  // FG 24..63 over BG 4..7
        {-1, 63, TStageLayer::BG, 4, 4, -1},   // BG 4..7 under FG 24..63
        {3, 30, TStageLayer::BG, 2, 2, 30},    // BG 0..3 is not exclusive
        {6, 12, TStageLayer::FG, 23, 6, 23},   // nor FG 8..23
        {6, 64, TStageLayer::BG, 7, 7, 64},    // nor the border code
        {5, 30, TStageLayer::FG, 30, 5, 30},   // a code already there changes nothing
    };
    // clang-format on
    for (const Case& c : cases) {
        StageRecord record = Empty();
        record.BG[4][7] = static_cast<std::int16_t>(c.BG);
        record.FG[4][7] = static_cast<std::int16_t>(c.FG);
        WriteCell(record, c.Layer, 4, 7, static_cast<std::int16_t>(c.Code));
        EXPECT_EQ(record.BG[4][7], c.WantBG) << c.BG << " " << c.FG << " " << c.Code;
        EXPECT_EQ(record.FG[4][7], c.WantFG) << c.BG << " " << c.FG << " " << c.Code;
    }
    StageRecord record = Empty();
    for (const auto& [x, y] : {std::pair{-1, 0}, {40, 0}, {0, -1}, {0, 30}})
        WriteCell(record, TStageLayer::FG, x, y, 40);
    EXPECT_TRUE(RecordsEqual(record, Empty()));
}

TEST(StageRules, ShadowsFallRightOfAndBelowTheirObjects)
{
    StageRecord record = Empty();
    record.FG[10][10] = 40;
    record.FG[0][0] = 40;  // the ring above and left of it casts nothing
    TShadowCells shadows;
    ComputeShadows(record, shadows);
    int cast = 0;
    for (const auto& column : shadows)
        for (const std::int16_t cell : column)
            cast += cell != EmptyCode;
    EXPECT_EQ(cast, 6);
    EXPECT_EQ(shadows[10][10], -1);  // the object itself casts none on its cell
    EXPECT_EQ(shadows[11][10], 17);
    EXPECT_EQ(shadows[10][11], 19);
    EXPECT_EQ(shadows[11][11], 16);
    EXPECT_EQ(shadows[0][0], -1);
    EXPECT_EQ(shadows[1][1], 16);
}

TEST(StageRules, AnAppliedStageKeepsWhatTheEditorKeeps)
{
    StageRecord record = Empty();
    record.BG[2][3] = 5;
    record.FG[2][3] = 30;  // both exclusive codes: the FG code, written later, stays
    record.BG[3][3] = -300;
    record.EnemyCount[20] = 7;
    record.Reserved1[0] = 1;
    record.Reserved3[900] = 2;
    record.Caption.Length = 200;  // cut to 63
    record.Caption.Chars[62] = 'x';
    record.BG_Bitmap.Chars[40] = 'y';  // past its end
    record.BG_H_Tile = 9;

    const StageRecord applied = AppliedStage(record);
    StageRecord expected = record;
    expected.BG[2][3] = EmptyCode;
    expected.Reserved1[0] = 0;
    expected.Reserved3[900] = 0;
    expected.Caption.Length = 63;
    expected.BG_Bitmap.Chars[40] = 0;
    EXPECT_TRUE(RecordsEqual(applied, expected));
}

TEST(StageRules, AnImportTakesTheMapsSettingsAndCellsOntoItsBase)
{
    StageRecord base = Empty();
    base.EnemyCount[3] = 4;
    base.EnemyCount[16] = 5;  // a text map carries no slot past 15
    base.BG[0][0] = 2;
    TTextMap map;
    map.Stage = Empty();
    map.Stage.Caption.Assign(std::string("Read"));
    map.Stage.MaxCount = 0;
    map.Stage.BG[1][0] = 6;
    map.Stage.FG[1][0] = 44;
    map.Stage.FG[2][0] = -2;  // a pair a short row lacks

    const StageRecord imported = ImportedStage(map, base);
    StageRecord expected = map.Stage;
    expected.EnemyCount[16] = 5;
    expected.BG[1][0] = EmptyCode;
    EXPECT_TRUE(RecordsEqual(imported, expected));

    struct Case {
        std::int32_t Header;
        int Stage;
    };
    for (const Case& c : {Case{7, 7}, {99, 99}, {100, 99}, {-5, 0}, {65535, 0}, {65536 + 3, 3}, {32768, 0}})
        EXPECT_EQ(ImportedStageNumber(c.Header), c.Stage) << c.Header;
}
