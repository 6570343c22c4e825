// stagetool as designers and scripts run it: exit codes, files and outputs.
#include "core/FakeHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status;
    std::string Out;
};

class StageToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("stagetool-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    // Runs the tool in the test's folder; stdout is captured, stderr goes to
    // the file "err".
    TRun Run(const std::string& args) const
    {
        const std::string command =
            "cd '" + Dir.string() + "' && '" + std::string(STAGETOOL_PATH) + "' " + args + " 2>err";
        FILE* pipe = popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        const int status = pclose(pipe);
        return TRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(Dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Dir / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The error line: exactly one line on stderr.
    std::string ErrorLine() const
    {
        const std::string err = Read("err");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        return err;
    }
    static std::string Golden(const std::string& name)
    {
        std::ifstream in(std::string(STAGE_TEST_DATA) + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path Dir;
};

}  // namespace

TEST_F(StageToolTest, NewCreatesEmptyRecordsAndNeverOverwrites)
{
    EXPECT_EQ(Run("new").Status, 0);
    EXPECT_EQ(fs::file_size(Dir / "Stage.Dat"), 6000u);
    EXPECT_EQ(Run("new --file five.dat --count 5").Status, 0);
    EXPECT_EQ(fs::file_size(Dir / "five.dat"), 30000u);
    Write("keep.dat", "precious");
    EXPECT_EQ(Run("new --file keep.dat").Status, 1);
    ErrorLine();
    EXPECT_EQ(Read("keep.dat"), "precious");
    EXPECT_EQ(Run("new --file x.dat --count 101").Status, 2);
    EXPECT_EQ(Run("new --file x.dat --count -1").Status, 2);
    EXPECT_FALSE(fs::exists(Dir / "x.dat"));
}

TEST_F(StageToolTest, ExportWritesTheEditorsTextMap)
{
    ASSERT_EQ(Run("new --count 2").Status, 0);
    EXPECT_EQ(Run("export 0").Out, Golden("EmptyStage00.txt"));
    EXPECT_EQ(Run("export 1 -o one.txt").Status, 0);
    std::string expected = Golden("EmptyStage00.txt");
    expected.replace(0, 9, "[Stage01]");
    EXPECT_EQ(Read("one.txt"), expected);

    struct Case {
        std::string Args;
        int Status;
    };
    const Case cases[] = {
        {"export 2", 1},                 // beyond the last record: no random stage here
        {"export 0 --file missing.dat", 1},
        {"export 100", 2},
        {"export -1", 2},
        {"export abc", 2},
        {"export 1x", 2},
        {"export", 2},
        {"export 0 1", 2},
        {"export 0 --bogus 1", 2},
        {"export 0 -o", 2},
        {"export 0 -o no-such-dir/out.txt", 1},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args;
        EXPECT_EQ(run.Out, "") << c.Args;
        ErrorLine();
    }
}

TEST_F(StageToolTest, ExportAppliesTheLayerRules)
{
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.BG[0][0] = 5;
    record.FG[0][0] = 30;  // both exclusive codes: the FG code wins
    record.BG[1][0] = 1000;  // a damaged code: written as the empty code
    Write("Stage.Dat", std::string(reinterpret_cast<const char*>(&record), sizeof record));
    const std::string text = Run("export 0").Out;
    EXPECT_NE(text.find("BG00=00 00 00"), std::string::npos);
    EXPECT_NE(text.find("FG00=1F 00"), std::string::npos);
}

TEST_F(StageToolTest, RandomIsRepeatableWithASeed)
{
    const TRun first = Run("random 7 --seed 12345");
    EXPECT_EQ(first.Status, 0);
    EXPECT_EQ(first.Out, Golden("Random07Seed12345.txt"));
    EXPECT_EQ(Run("random 7 --seed 12345 -o r.txt").Status, 0);
    EXPECT_EQ(Read("r.txt"), first.Out);
    EXPECT_EQ(Run("random 7 --seed 4294967295").Status, 0);
    EXPECT_EQ(Run("random 7").Status, 0);  // seeded from the clock
    for (const char* args : {"random 7 --seed 4294967296", "random 7 --seed -1", "random 100 --seed 1", "random"})
        EXPECT_EQ(Run(args).Status, 2) << args;
}

TEST_F(StageToolTest, ImportWritesAtTheHeadersNumberAndPads)
{
    ASSERT_EQ(Run("random 4 --seed 9 -o four.txt").Status, 0);
    // The file does not exist yet: import creates it, padding records 0..3.
    EXPECT_EQ(Run("import four.txt").Status, 0);
    EXPECT_EQ(fs::file_size(Dir / "Stage.Dat"), 30000u);
    EXPECT_EQ(Run("export 4").Out, Read("four.txt"));
    std::string empty = Golden("EmptyStage00.txt");
    empty.replace(0, 9, "[Stage02]");
    EXPECT_EQ(Run("export 2").Out, empty);

    EXPECT_EQ(Run("import four.txt --stage 1 --file other.dat").Status, 0);
    EXPECT_EQ(fs::file_size(Dir / "other.dat"), 12000u);
    std::string renumbered = Read("four.txt");
    renumbered.replace(0, 9, "[Stage01]");
    EXPECT_EQ(Run("export 1 --file other.dat").Out, renumbered);

    const TRun list = Run("list");
    EXPECT_EQ(list.Status, 0);
    const std::string lines = list.Out;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 5);
    EXPECT_NE(lines.find("00\tUndefined Stage\t0\t5\t\n"), std::string::npos);
    EXPECT_NE(lines.find("04\tRandom Stage\t"), std::string::npos);
}

TEST_F(StageToolTest, ImportReadsFilesAsTheEditorDoes)
{
    // LF-only line ends, a NUL that ends the text, lower-case keys.
    Write("lf.txt", std::string("[stage6]\ncaption=Plain\nfg00=29 29\n\0BG00=02\n", 42));
    EXPECT_EQ(Run("import lf.txt").Status, 0);
    const std::string text = Run("export 6").Out;
    EXPECT_NE(text.find("Caption=Plain\r\n"), std::string::npos);
    EXPECT_NE(text.find("FG00=29 29 00"), std::string::npos);
    EXPECT_NE(text.find("BG00=00 00"), std::string::npos);  // after the NUL: never read
}

TEST_F(StageToolTest, ImportFailuresWriteNothing)
{
    Write("noheader.txt", "Caption=x\r\n");
    EXPECT_EQ(Run("import noheader.txt").Status, 1);
    ErrorLine();
    EXPECT_FALSE(fs::exists(Dir / "Stage.Dat"));
    EXPECT_EQ(Run("import missing.txt").Status, 1);
    ErrorLine();
    Write("ok.txt", "[Stage1]\r\n");
    EXPECT_EQ(Run("import ok.txt --stage 100").Status, 2);
    fs::create_directories(Dir / "adir");
    EXPECT_EQ(Run("import ok.txt --file adir").Status, 1);
    ErrorLine();
    EXPECT_FALSE(fs::exists(Dir / "Stage.Dat"));
}

TEST_F(StageToolTest, ListShowsWholeRecordsOnly)
{
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.Caption.Assign(std::string("Two\x80lines\tand\ttabs"));
    record.EnemyCount[0] = 3;
    record.EnemyCount[15] = 4;
    record.EnemyCount[16] = 100;  // not an enemy count
    record.MaxCount = 9;
    record.BG_Bitmap.Assign(std::string("sky.bmp"));
    Write("Stage.Dat", std::string(reinterpret_cast<const char*>(&record), sizeof record) + "partial");
    const TRun run = Run("list");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "00\tTwo lines?and?tabs\t7\t9\tsky.bmp\n");
    Write("empty.dat", "");
    EXPECT_EQ(Run("list --file empty.dat").Out, "");
    EXPECT_EQ(Run("list --file missing.dat").Status, 1);
}

TEST_F(StageToolTest, UsageErrors)
{
    for (const char* args : {"", "bogus", "list extra", "list --file", "new --count"}) {
        EXPECT_EQ(Run(args).Status, 2) << args;
    }
    EXPECT_EQ(Run("--help").Status, 0);
}

TEST_F(StageToolTest, RenderReportsADamagedPictureAndDrawsTheColour)
{
    StageRecord record;
    TMainForm::EmptyStage(record);
    record.BG_Bitmap.Assign(std::string("cut.bmp"));
    Write("Stage.Dat", std::string(reinterpret_cast<const char*>(&record), sizeof record));
    fs::create_directories(Dir / "Map");
    Write("Map/cut.bmp", "BM" + std::string(200, 'x'));
    EXPECT_EQ(Run("render 0 -o out.png").Status, 0);
    // Once, on its own line (Qt may add notes of its own around it).
    const std::string err = Read("err");
    const std::size_t at = err.find("stagetool render: cut.bmp: Bitmap image is not valid");
    EXPECT_NE(at, std::string::npos) << err;
    EXPECT_TRUE(at == 0 || err[at - 1] == '\n') << err;
    EXPECT_EQ(err.find("stagetool render", at + 1), std::string::npos) << err;
    EXPECT_GT(fs::file_size(Dir / "out.png"), 0u);
}
