// Capturing the live stage into a record and applying one, and the title.
#include "support/AllocCounter.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// A fixed pseudo-random byte source, independent of the editor's generator.
struct TBytes {
    std::uint64_t State;
    unsigned Next()
    {
        State = State * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(State >> 33);
    }
};

void SetLE(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A record of meaningful values: cells -1..63, strings with stale tails.
StageRecord SampleRecord(std::uint64_t seed)
{
    TBytes random{seed};
    StageRecord record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y) {
            record.BG[x][y] = static_cast<std::int16_t>(static_cast<int>(random.Next() % 9) - 1);
            record.FG[x][y] = static_cast<std::int16_t>(static_cast<int>(random.Next() % 65) - 1);
        }
    record.Caption.Assign(std::string("Sample caption"));
    record.BG_Bitmap.Assign(std::string("sky.bmp"));
    record.SI_Bitmap.Assign(std::string("intro.bmp"));
    record.BG_Color = 0x00123456;
    record.BG_H_Tile = 1;
    record.BG_V_Tile = 0;
    for (int i = 0; i < 32; ++i)
        record.EnemyCount[i] = static_cast<std::uint16_t>(i * 3 + 1);
    record.MaxCount = 12;
    return record;
}

}  // namespace

TEST(StageRecordLayout, CaptureWritesEveryFieldAtItsOffset)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.Form.Caption.Assign(std::string("Cap"));
    f.Form.BG_Bitmap.Assign(std::string("bg.jpg"));
    f.Form.SI_Bitmap.Assign(std::string("si"));
    f.Form.BG_Color = 0x0A0B0C0D;
    f.Form.BG_H_Tile = false;
    f.Form.BG_V_Tile = true;
    f.Form.EnemyCount[3] = 0x1234;
    f.Form.EnemyCount[31] = 0xBEEF;
    f.Form.MaxCount = 0x0102;
    f.SetBG(1, 0, 0x3);
    f.SetBG(39, 29, 2);
    f.SetFG(39, 29, 13);
    f.SetFG(0, 1, 0x0A);

    const auto bytes = Bytes(f.Capture());
    std::vector<unsigned char> expected(6000, 0);
    expected[0] = 3;
    std::memcpy(&expected[1], "Cap", 3);
    expected[64] = 6;
    std::memcpy(&expected[65], "bg.jpg", 6);
    SetLE(expected, 128, 0x0A0B0C0D, 4);
    expected[132] = 0;
    expected[133] = 1;
    SetLE(expected, 144 + 2 * 3, 0x1234, 2);
    SetLE(expected, 144 + 2 * 31, 0xBEEF, 2);
    SetLE(expected, 208, 0x0102, 2);
    expected[224] = 2;
    std::memcpy(&expected[225], "si", 2);
    for (std::size_t i = 1200; i < 6000; ++i)
        expected[i] = 0xFF;
    SetLE(expected, 1200 + 60 * 1 + 2 * 0, 3, 2);
    SetLE(expected, 3598, 2, 2);   // BG (39, 29)
    SetLE(expected, 5998, 13, 2);  // FG (39, 29): the record's last two bytes
    SetLE(expected, 3600 + 60 * 0 + 2 * 1, 0x0A, 2);
    EXPECT_EQ(bytes, expected);
}

TEST(StageRecordLayout, CaptureCutsCodesToSixteenBits)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.Form.BGLayer->PutCell(1, 1, 0x12345);
    EXPECT_EQ(f.Capture().BG[0][0], 0x2345);
}

TEST(StageRecordRoundTrip, ApplyThenCaptureGivesTheSameBytesApartFromTheStatedOnes)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        StageRecord record = SampleRecord(seed);
        // Bytes the editor ignores on reading and writes as 0.
        StageRecord dirty = record;
        std::memset(dirty.Reserved1, 0x77, sizeof dirty.Reserved1);
        std::memset(dirty.Reserved2, 0x77, sizeof dirty.Reserved2);
        std::memset(dirty.Reserved3, 0x77, sizeof dirty.Reserved3);
        dirty.Caption.Chars[40] = 'Z';  // beyond the length

        StageRecord expected = record;
        for (int x = 0; x < FieldColumns; ++x)
            for (int y = 0; y < FieldRows; ++y)
                if (expected.BG[x][y] >= 4 && expected.BG[x][y] <= 7 && expected.FG[x][y] >= 24
                    && expected.FG[x][y] <= 63)
                    expected.BG[x][y] = -1;  // the FG code wins

        TEditorFixture f;
        f.Form.ApplyStage(dirty);
        EXPECT_TRUE(SameBytes(f.Capture(), expected)) << "seed " << seed;
    }
}

TEST(StageRecordRoundTrip, ExtraEnemySlotsSurviveButStayOutOfTheTotal)
{
    TEditorFixture f;
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.EnemyCount[0] = 2;
    record.EnemyCount[15] = 65535;
    record.EnemyCount[16] = 1000;
    record.EnemyCount[31] = 7;
    f.Form.ApplyStage(record);
    EXPECT_EQ(f.Form.EnemyTotal, 65537);
    const StageRecord captured = f.Capture();
    EXPECT_EQ(captured.EnemyCount[16], 1000);
    EXPECT_EQ(captured.EnemyCount[31], 7);
}

TEST(StageRecordRoundTrip, GarbageRecordsApplyWithinBoundsAndSettle)
{
    TBytes random{99};
    for (int round = 0; round < 20; ++round) {
        StageRecord garbage;
        auto* p = reinterpret_cast<unsigned char*>(&garbage);
        for (std::size_t i = 0; i < sizeof garbage; ++i)
            p[i] = static_cast<unsigned char>(random.Next());
        TEditorFixture f;
        f.Form.ApplyStage(garbage);
        EXPECT_LE(f.Form.Caption.Length, MaxShortString);
        EXPECT_LE(f.Form.BG_Bitmap.Length, MaxShortString);
        const StageRecord once = f.Capture();
        f.Form.ApplyStage(once);
        EXPECT_TRUE(SameBytes(f.Capture(), once));
        // The tiling bytes come back as they were stored.
        EXPECT_EQ(once.BG_H_Tile, garbage.BG_H_Tile);
        EXPECT_EQ(once.BG_V_Tile, garbage.BG_V_Tile);
    }
}

TEST(StageRecordRoundTrip, RingHoldsBorderCodeAfterApply)
{
    TEditorFixture f;
    f.ApplyEmpty();
    for (auto* layer : {f.Form.BGLayer, f.Form.FGLayer})
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 42; ++x)
                if (x == 0 || y == 0 || x == 41 || y == 31) {
                    ASSERT_EQ(layer->Cell(x, y), BorderCode) << x << "," << y;
                }
}

TEST(StageRecordRoundTrip, ApplyAndCaptureDoNotAllocate)
{
    TEditorFixture f;
    const StageRecord a = SampleRecord(5);
    const StageRecord b = SampleRecord(6);
    f.Form.ApplyStage(a);  // warms the host's caption strings
    StageRecord out;
    const std::size_t before = AllocCounter::Allocations();
    f.Form.ApplyStage(b);
    f.Form.CaptureStage(out);
    f.Form.ApplyStage(a);
    EXPECT_EQ(AllocCounter::Allocations(), before);
}

TEST(BGBitmap, ReloadsOnlyWhenTheNameChangesByteForByte)
{
    TEditorFixture f;
    TShortString name;
    name.Assign(std::string("sky.bmp"));
    f.Form.SetBGBitmap(name);
    EXPECT_EQ(f.Host.RestoreCount, 1);
    f.Form.SetBGBitmap(name);
    EXPECT_EQ(f.Host.RestoreCount, 1);
    TShortString upper;
    upper.Assign(std::string("SKY.bmp"));
    f.Form.SetBGBitmap(upper);
    EXPECT_EQ(f.Host.RestoreCount, 2);
    EXPECT_EQ(f.Form.BG_Bitmap.Str(), "SKY.bmp");

    StageRecord record = SampleRecord(1);
    record.BG_Bitmap = upper;
    f.Form.ApplyStage(record);
    EXPECT_EQ(f.Host.RestoreCount, 2);
}

TEST(Title, ShowsStageNumberCaptionAndEnemyTotal)
{
    struct Case {
        int Stage;
        std::string Caption;
        int Total;
        std::string Window;
        std::string Option;
    };
    const Case cases[] = {
        {7, "Base", 5, "铁履纵横 地图编辑器 - Stage 07 (Base)", "&EC=05"},
        {0, "", 123, "铁履纵横 地图编辑器 - Stage 00 ()", "&EC=123"},
        {99, "A\xC4\x80", 0, "铁履纵横 地图编辑器 - Stage 99 (AÄ\xC2\x80)", "&EC=00"},
    };
    for (const auto& c : cases) {
        TEditorFixture f;
        f.Form.Document.SetStageNum(static_cast<std::uint16_t>(c.Stage));
        f.Form.Caption.Assign(c.Caption);
        f.Form.EnemyTotal = c.Total;
        f.Form.UpdateTitle();
        EXPECT_EQ(f.Form.WindowCaption(), c.Window);
        EXPECT_EQ(f.Form.WindowCaption(), c.Window);
        EXPECT_EQ(f.Form.OptionCaption(), c.Option);
    }
}

TEST(Title, StageNumberControlSetsTheNumberAndTitle)
{
    TEditorFixture f;
    f.ApplyEmpty();
    f.Form.Document.SetStageNum(42);
    EXPECT_EQ(f.Form.Document.StageNum(), 42);
    EXPECT_EQ(f.Form.WindowCaption(), "铁履纵横 地图编辑器 - Stage 42 (Undefined Stage)");
}

TEST(Startup, FormShowWithoutAStageFileGeneratesStageZero)
{
    TEditorFixture f;
    EXPECT_EQ(f.Form.Engine().SpriteCount(), 4);
    f.Form.Document.SetStageFileName("/nonexistent-dir/Stage.Dat");
    f.Form.FormShow();
    EXPECT_TRUE(f.Host.ToolWindowShown);
    EXPECT_EQ(f.Form.Caption.Str(), "Random Stage");
    EXPECT_EQ(f.Form.WindowCaption(), "铁履纵横 地图编辑器 - Stage 00 (Random Stage)");
    EXPECT_EQ(f.Form.History.Count(), 0);
}
