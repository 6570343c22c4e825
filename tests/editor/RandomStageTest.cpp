// The generator's exact sequence and what every random stage guarantees.
#include "editor/RandomGen.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

TEST(RandomGenerator, ExactSequenceFromSeedZero)
{
    RandomSeed = 0;
    std::vector<std::uint32_t> tens;
    for (int i = 0; i < 5; ++i)
        tens.push_back(Random(10));
    EXPECT_EQ(tens, (std::vector<std::uint32_t>{0, 0, 8, 2, 2}));
    RandomSeed = 0;
    std::vector<std::uint32_t> hundreds;
    for (int i = 0; i < 5; ++i)
        hundreds.push_back(Random(100));
    EXPECT_EQ(hundreds, (std::vector<std::uint32_t>{0, 3, 86, 20, 27}));
    // Every call advances the state once, whatever N is.
    RandomSeed = 0;
    Random(1);
    EXPECT_EQ(RandomSeed, 1u);
    Random(0xFFFFFFFFu);
    EXPECT_EQ(RandomSeed, 134775814u);
}

TEST(RandomGenerator, SeedIsTheTimeOfDayInMilliseconds)
{
    Randomize();
    EXPECT_LT(RandomSeed, 86400000u);
}

TEST(FillBlock, StripesOfTheGroupFromTheCode)
{
    TEditorFixture f;
    f.Form.FillBlock(f.Form.FGLayer, 1, 1, 2, 2, 25);
    EXPECT_EQ(f.FG(0, 0), 25);
    EXPECT_EQ(f.FG(1, 0), 26);
    EXPECT_EQ(f.FG(0, 1), 26);
    EXPECT_EQ(f.FG(1, 1), 27);
    f.Form.FillBlock(f.Form.FGLayer, 40, 30, 5, 5, 63);  // mostly outside: ignored there
    EXPECT_EQ(f.Form.FGLayer->Cell(40, 30), 63);
    EXPECT_EQ(f.Form.FGLayer->Cell(41, 31), 61);
    f.Form.FillBlock(f.Form.FGLayer, 1, 1, 2, 2, -1);
    EXPECT_EQ(f.FG(1, 1), -1);
}

TEST(RandomStage, FixedAreasFrameAndSettingsHoldForEveryStageAndSeed)
{
    for (int s : {0, 1, 4, 10, 50, 99}) {
        for (std::uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
            SCOPED_TRACE("stage " + std::to_string(s) + " seed " + std::to_string(seed));
            TEditorFixture f;
            f.Form.SI_Bitmap.Assign(std::string("kept.bmp"));
            f.Form.BG_Bitmap.Assign(std::string("old.bmp"));
            f.Form.EnemyCount[20] = 5;
            f.Form.Document.SetStageNum(static_cast<std::uint16_t>(s));
            RandomSeed = seed;
            f.Form.GenerateRandomStage();

            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 42; ++x)
                    if (x == 0 || y == 0 || x == 41 || y == 31) {
                        ASSERT_EQ(f.Form.FGLayer->Cell(x, y), BorderCode);
                        ASSERT_EQ(f.Form.BGLayer->Cell(x, y), -1);
                    }
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const int bg = f.BG(x, y), fg = f.FG(x, y);
                    ASSERT_GE(bg, -1);
                    ASSERT_LE(bg, 7);
                    ASSERT_GE(fg, -1);
                    ASSERT_LE(fg, 63);
                    ASSERT_FALSE(bg >= 4 && fg >= 16) << x << "," << y;  // only 8..15 may sit on BG 4..7
                    const bool topCorner = y <= 2 && (x <= 2 || x >= 37);
                    const bool bottomCentre = y >= 26 && x >= 14 && x <= 25;
                    if (topCorner || bottomCentre) {
                        ASSERT_EQ(bg, -1) << x << "," << y;
                    }
                    if (y <= 1 && (x <= 2 || x >= 37)) {
                        ASSERT_EQ(fg, -1) << x << "," << y;
                    }
                    if (bottomCentre) {
                        const bool wall = (y == 27 && x >= 18 && x <= 21) || (y >= 28 && (x == 18 || x == 21));
                        if (wall) {
                            ASSERT_GE(fg, 24) << x << "," << y;
                            ASSERT_LE(fg, 27) << x << "," << y;
                        } else {
                            ASSERT_EQ(fg, -1) << x << "," << y;
                        }
                    }
                }
            EXPECT_EQ(f.Form.MaxCount, s / 3 + 8);
            int total = 0;
            for (int i = 0; i < EnemyTypeCount; ++i) {
                EXPECT_LE(f.Form.EnemyCount[i], s / 5 + 1);
                total += f.Form.EnemyCount[i];
            }
            EXPECT_EQ(f.Form.EnemyCount[20], 0);
            EXPECT_EQ(f.Form.EnemyTotal, total);
            EXPECT_EQ(f.Form.BG_Color, DefaultBGColor);
            EXPECT_TRUE(f.Form.BG_H_Tile && f.Form.BG_V_Tile);
            EXPECT_EQ(f.Form.BG_Bitmap.Length, 0);
            EXPECT_EQ(f.Host.RestoreCount, 1);
            EXPECT_EQ(f.Form.SI_Bitmap.Str(), "kept.bmp");
            EXPECT_EQ(f.Form.History.Count(), 0);
            char title[64];
            std::snprintf(title, sizeof title, " - Stage %02d (Random Stage)", s);
            EXPECT_EQ(f.Form.WindowCaption(), std::string(TitleBase) + title);
            char option[16];
            std::snprintf(option, sizeof option, "&EC=%02d", total);
            EXPECT_EQ(f.Form.OptionCaption(), option);
        }
    }
}

// The order of the generator calls is part of the result: the same seed and
// stage give this exact stage.
TEST(RandomStage, SameSeedGivesTheRecordedStage)
{
    TEditorFixture f;
    f.Form.Document.SetStageNum(7);
    RandomSeed = 12345;
    f.Form.GenerateRandomStage();
    std::ifstream in(std::string(STAGE_TEST_DATA) + "/Random07Seed12345.txt", std::ios::binary);
    const std::string golden{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(f.Form.ExportTextMap(), golden);
}
