// Loading and saving the live stage in the stage file, as the Load and Save
// buttons do: padding, partial records, a file that is missing or no file.
#include "storage/StageFile.h"
#include "support/FakeHost.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

class MainFileTest : public TStageFileTest {
protected:
    MainFileTest() : TStageFileTest("mainfile") {}

    void SetUp() override
    {
        TStageFileTest::SetUp();
        F.Form.Document.SetStageFileName(File);
    }

    // A stage that differs from the empty one everywhere that is stored.
    void PaintSomething()
    {
        F.ApplyEmpty();
        F.SetFG(3, 3, 40);
        F.SetBG(7, 8, 2);
        F.Form.Caption.Assign(std::string("Mine"));
        F.Form.MaxCount = 9;
    }

    TEditorFixture F;
};

}  // namespace

TEST_F(MainFileTest, MissingFileLoadsARandomStageAndIsNeverCreatedBySave)
{
    EXPECT_FALSE(F.Form.ReadStageFile());
    F.Form.LoadStage();
    EXPECT_EQ(F.Form.Caption.Str(), "Random Stage");
    EXPECT_FALSE(F.Form.WriteStageFile());
    EXPECT_FALSE(fs::exists(File));
    // Once the file is in place the next save and load succeed.
    WriteBytes("");
    PaintSomething();
    EXPECT_TRUE(F.Form.WriteStageFile());
    F.ApplyEmpty();
    EXPECT_TRUE(F.Form.ReadStageFile());
    EXPECT_EQ(F.Form.Caption.Str(), "Mine");
}

TEST_F(MainFileTest, SavingStageThreeIntoAnEmptyFilePadsWithEmptyRecords)
{
    WriteBytes("");
    PaintSomething();
    F.Form.Document.SetStageNum(3);
    ASSERT_TRUE(F.Form.WriteStageFile());
    const std::string bytes = ReadBytes();
    ASSERT_EQ(bytes.size(), 24000u);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(bytes.substr(6000 * n, 6000), EmptyRecordBytes()) << "record " << n;
    EXPECT_EQ(bytes.substr(18000), RecordBytes(F.Capture()));
}

TEST_F(MainFileTest, ATrailingPieceIsNoRecordAndIsOverwrittenFromItsStart)
{
    WriteBytes(EmptyRecordBytes() + std::string(500, 'x'));
    F.Form.Document.SetStageNum(1);
    F.Form.LoadStage();
    EXPECT_EQ(F.Form.Caption.Str(), "Random Stage");
    ASSERT_TRUE(F.Form.WriteStageFile());
    const std::string bytes = ReadBytes();
    ASSERT_EQ(bytes.size(), 12000u);
    EXPECT_EQ(bytes.substr(6000), RecordBytes(F.Capture()));
}

TEST_F(MainFileTest, SavingOneRecordTouchesNoOther)
{
    std::string original;
    for (int n = 0; n < 5; ++n) {
        StageRecord record;
        EmptyStage(record);
        record.MaxCount = static_cast<std::uint16_t>(100 + n);
        original += RecordBytes(record);
    }
    WriteBytes(original);
    PaintSomething();
    F.Form.Document.SetStageNum(0);
    ASSERT_TRUE(F.Form.WriteStageFile());
    const std::string bytes = ReadBytes();
    ASSERT_EQ(bytes.size(), original.size());
    EXPECT_EQ(bytes.substr(6000), original.substr(6000));
    EXPECT_EQ(bytes.substr(0, 6000), RecordBytes(F.Capture()));
    // Saving at the record count extends the file by exactly one record.
    F.Form.Document.SetStageNum(5);
    ASSERT_TRUE(F.Form.WriteStageFile());
    EXPECT_EQ(ReadBytes().size(), 36000u);
}

TEST_F(MainFileTest, LoadingAndSavingBackReproducesTheRecord)
{
    StageRecord record;
    EmptyStage(record);
    record.BG[5][5] = 6;
    record.FG[6][6] = 41;
    record.EnemyCount[20] = 3;
    record.Caption.Assign(std::string("Kept"));
    WriteBytes(EmptyRecordBytes() + RecordBytes(record));
    F.Form.Document.SetStageNum(1);
    ASSERT_TRUE(F.Form.ReadStageFile());
    EXPECT_EQ(F.Form.History.Count(), 0);  // a load records nothing
    ASSERT_TRUE(F.Form.WriteStageFile());
    EXPECT_EQ(ReadBytes().substr(6000), RecordBytes(record));
}

TEST_F(MainFileTest, ShortEmptyAndOutOfRangeReadsFailWithoutTouchingTheStage)
{
    struct Case {
        std::string Bytes;
        int Stage;
    };
    const Case cases[] = {
        {"", 0},
        {std::string(3000, 'a'), 0},
        {std::string(5999, 'a'), 0},
        {EmptyRecordBytes(), 1},
        {EmptyRecordBytes(), 99},
        {EmptyRecordBytes(), 65535},
    };
    for (const auto& c : cases) {
        WriteBytes(c.Bytes);
        PaintSomething();
        const StageRecord before = F.Capture();
        F.Form.Document.SetStageNum(static_cast<std::uint16_t>(c.Stage));
        EXPECT_FALSE(F.Form.ReadStageFile()) << c.Bytes.size() << " bytes, stage " << c.Stage;
        EXPECT_TRUE(SameBytes(F.Capture(), before));
    }
    StageRecord record;
    EXPECT_FALSE(ReadStageRecord(File, -1, record));
}

TEST_F(MainFileTest, ArbitraryBytesLoadAsSomeStageWithinBounds)
{
    std::string garbage(6000 * 3, '\0');
    std::uint32_t state = 12345;
    for (char& ch : garbage) {
        state = state * 1103515245u + 12345u;
        ch = static_cast<char>(state >> 24);
    }
    WriteBytes(garbage);
    for (int n = 0; n < 3; ++n) {
        F.Form.Document.SetStageNum(static_cast<std::uint16_t>(n));
        ASSERT_TRUE(F.Form.ReadStageFile());
        EXPECT_LE(F.Form.Caption.Length, 63);
        EXPECT_EQ(F.Form.FGLayer->Cell(0, 0), BorderCode);
        const std::string text = F.Form.ExportTextMap();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 70);
    }
}

TEST_F(MainFileTest, TilingBytesSurviveALoadAndASave)
{
    for (const auto& [h, v] : {std::pair<std::uint8_t, std::uint8_t>{0, 1}, {2, 255}, {255, 0}, {1, 2}}) {
        PaintSomething();
        StageRecord record = F.Capture();
        record.BG_H_Tile = h;
        record.BG_V_Tile = v;
        WriteBytes(EmptyRecordBytes() + RecordBytes(record));
        F.Form.Document.SetStageNum(1);
        F.ApplyEmpty();
        ASSERT_TRUE(F.Form.ReadStageFile());
        EXPECT_EQ(F.Form.BG_H_Tile, h);
        EXPECT_EQ(F.Form.BG_V_Tile, v);
        ASSERT_TRUE(F.Form.WriteStageFile());
        EXPECT_EQ(ReadBytes(), EmptyRecordBytes() + RecordBytes(record)) << +h << " " << +v;
    }
}

TEST_F(MainFileTest, TheFileIsFoundIgnoringCaseAndKeepsItsName)
{
    const fs::path upper = Dir / "STAGE.DAT";
    PaintSomething();
    const std::string saved = RecordBytes(F.Capture());
    std::ofstream(upper, std::ios::binary) << EmptyRecordBytes();
    F.Form.Document.SetStageNum(1);
    ASSERT_TRUE(F.Form.WriteStageFile());
    F.ApplyEmpty();
    ASSERT_TRUE(F.Form.ReadStageFile());
    EXPECT_EQ(F.Form.Caption.Str(), "Mine");
    // The save went into STAGE.DAT; no "Stage.Dat" was made beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
    std::ifstream in(upper, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), EmptyRecordBytes() + saved);

    // The name as written wins over another case; two other cases are
    // ambiguous, and then the file counts as missing.
    WriteBytes(EmptyRecordBytes());
    F.Form.Document.SetStageNum(0);
    ASSERT_TRUE(F.Form.ReadStageFile());
    EXPECT_EQ(F.Form.Caption.Str(), "Undefined Stage");
    fs::remove(File);
    std::ofstream(Dir / "stage.dat", std::ios::binary) << EmptyRecordBytes();
    EXPECT_FALSE(F.Form.ReadStageFile());
    EXPECT_FALSE(F.Form.WriteStageFile());
    EXPECT_FALSE(fs::exists(File));
}

// The editor starts on a stage file that is no file as on one it cannot
// read, and never saves into it.
TEST_F(MainFileTest, AFolderOrAFifoInTheStageFilesPlaceLoadsARandomStage)
{
    fs::create_directories(File);
    EXPECT_FALSE(F.Form.ReadStageFile());
    EXPECT_FALSE(F.Form.WriteStageFile());
    fs::remove(File);
    ASSERT_EQ(::mkfifo(File.c_str(), 0644), 0);
    F.Form.LoadStage();
    EXPECT_EQ(F.Form.Caption.Str(), "Random Stage");
    EXPECT_FALSE(F.Form.WriteStageFile());
    EXPECT_TRUE(fs::is_fifo(File));
}
