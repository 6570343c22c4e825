// stagetool's commands over a whole stage file: sheet, check, unpack, pack.
#include "support/EngineTestKit.h"
#include "support/StageToolRun.h"

#include <cstring>

namespace {

std::string Bytes(const StageRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

StageRecord Empty()
{
    StageRecord record;
    EmptyStage(record);
    return record;
}

fs::path Examples()
{
    return fs::path(STAGE_TEST_DATA) / ".." / ".." / "examples";
}

// Width and height from a PNG's header, or 0 x 0 when it is none.
std::pair<int, int> PngSize(const std::string& png)
{
    if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto at = [&png](std::size_t i) {
        return (static_cast<int>(static_cast<unsigned char>(png[i])) << 24)
               | (static_cast<unsigned char>(png[i + 1]) << 16) | (static_cast<unsigned char>(png[i + 2]) << 8)
               | static_cast<unsigned char>(png[i + 3]);
    };
    return {at(16), at(20)};
}

}  // namespace

TEST_F(StageToolTest, SheetDrawsEveryRecordWithATrailingPiece)
{
    fs::copy(Examples() / "Map", Dir / "Map");
    std::string file;
    for (int seed = 1; seed <= 12; ++seed) {
        ASSERT_EQ(Run("random 1 --seed " + std::to_string(seed) + " -o r.txt").Status, 0);
        ASSERT_EQ(Run("import r.txt --file one.dat --stage 0").Status, 0);
        file += Read("one.dat");
        fs::remove(Dir / "one.dat");
    }
    Write("Stage.Dat", file + "piece");  // 12 stages and a piece of a 13th
    EXPECT_EQ(Run("sheet -o s.png").Status, 0);
    // 13 cells, 10 to a row: 2 rows of 160-pixel-wide pictures 6 pixels apart.
    const auto [width, height] = PngSize(Read("s.png"));
    EXPECT_EQ(width, 6 + 10 * (160 + 6));
    EXPECT_GT(height, 6 + 2 * (120 + 6));
    EXPECT_EQ(Run("sheet -o s.png --columns 13 --scale 8").Status, 0);
    EXPECT_EQ(PngSize(Read("s.png")).first, 4 + 13 * (80 + 4));
    // More columns than cells: one row just wide enough.
    EXPECT_EQ(Run("sheet -o s.png --columns 40 --scale 2").Status, 0);
    EXPECT_EQ(PngSize(Read("s.png")).first, 6 + 13 * (320 + 6));

    struct Case {
        const char* Args;
        int Status;
    };
    Write("empty.dat", "");
    const Case failures[] = {
        {"sheet", 2},
        {"sheet -o s.png --scale 3", 2},
        {"sheet -o s.png --scale 16", 2},
        {"sheet -o s.png --columns 0", 2},
        {"sheet -o Stage.Dat", 1},
        {"sheet --file empty.dat -o e.png", 1},
        {"sheet --file missing.dat -o e.png", 1},
    };
    const std::string before = Read("Stage.Dat");
    for (const Case& c : failures) {
        EXPECT_EQ(Run(c.Args).Status, c.Status) << c.Args;
        ErrorLine();
    }
    EXPECT_EQ(Read("Stage.Dat"), before);
    EXPECT_FALSE(fs::exists(Dir / "e.png"));
}

TEST_F(StageToolTest, SheetReportsADamagedPictureOnceForAllItsStages)
{
    StageRecord record = Empty();
    record.BG_Bitmap.Assign(std::string("cut.bmp"));
    Write("Stage.Dat", Bytes(record) + Bytes(Empty()) + Bytes(record));
    fs::create_directories(Dir / "Map");
    Write("Map/cut.bmp", "BM" + std::string(200, 'x'));
    EXPECT_EQ(Run("sheet -o s.png").Status, 0);
    const std::string err = Stderr();
    EXPECT_NE(err.find("stagetool sheet: cut.bmp: Bitmap image is not valid: no pixel rows (stages 00, 02)\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(StageToolTest, CheckReportsFindingsAndExitsByErrors)
{
    StageRecord good = Empty();
    good.Caption.Assign(std::string("Good"));
    good.EnemyCount[0] = 2;
    StageRecord bad = good;
    bad.BG_Bitmap.Assign(std::string("none\xE9.bmp"));
    for (int x = 0; x < 10; ++x)
        bad.BG[x][3] = -2;
    bad.FG[19][29] = 24;
    Write("Stage.Dat", Bytes(good) + Bytes(Empty()));
    TRun run = Run("check");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
              "01 note record: the empty record: padding that holds no stage yet\n"
              "2 stages checked: 0 errors, 0 warnings, 1 note\n");

    Write("Stage.Dat", Bytes(good) + Bytes(bad) + "piece");
    run = Run("check");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "01 error BG_Bitmap: \"none\xC3\xA9.bmp\" is not in Map\n"  // the name's byte E9 as UTF-8
              "01 error BG 0,3: BG code -2 is an unfilled cell, as an incomplete text map import leaves it"
              " (and 9 more cells like it)\n"
              "01 warning FG 19,29: the flag's square holds FG code 24\n"
              "2 stages checked: 11 errors, 1 warning, 0 notes\n");
    EXPECT_NE(Stderr().find("the last 5 bytes"), std::string::npos);

    run = Run("check --json");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 2 + 12);
    EXPECT_EQ(run.Out.substr(0, 2), "[\n");
    EXPECT_NE(run.Out.find("{\"stage\":1,\"severity\":\"error\",\"field\":\"BG_Bitmap\","
                           "\"message\":\"\\\"none\\u00E9.bmp\\\" is not in Map\"},\n"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("{\"stage\":1,\"severity\":\"error\",\"layer\":\"BG\",\"column\":9,\"row\":3,"),
              std::string::npos);
    EXPECT_EQ(run.Out.substr(run.Out.size() - 4), "}\n]\n");

    EXPECT_EQ(Run("check --file missing.dat").Status, 1);
    ErrorLine();
}

TEST_F(StageToolTest, UnpackWritesWhatExportWritesAndPackBuildsTheSameFile)
{
    fs::copy(Examples() / "Stage.Dat", Dir / "Stage.Dat");
    EXPECT_EQ(Run("unpack maps/new").Status, 0);  // the folder is made
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(Read("maps/new/0" + std::to_string(n) + ".txt"), Run("export " + std::to_string(n)).Out) << n;
    EXPECT_EQ(Stderr().find("stagetool"), std::string::npos) << Stderr();
    EXPECT_EQ(Run("pack maps/new --file again.dat").Status, 0);
    EXPECT_EQ(Read("again.dat"), Read("Stage.Dat"));

    // Random stages, with gaps the editor pads with empty records.
    for (const int n : {2, 7, 8, 30}) {
        ASSERT_EQ(Run("random " + std::to_string(n) + " --seed " + std::to_string(n * 11) + " -o r.txt").Status, 0);
        ASSERT_EQ(Run("import r.txt --file random.dat").Status, 0);
    }
    EXPECT_EQ(Run("unpack --file random.dat r").Status, 0);
    EXPECT_EQ(Run("pack r --file random2.dat").Status, 0);
    EXPECT_EQ(Read("random2.dat"), Read("random.dat"));
    EXPECT_EQ(fs::file_size(Dir / "random.dat"), 31u * 6000u);

    // Replaces an existing file only once every map was read.
    Write("r/05.txt", "[Stage6]\r\n");
    Write("r/notes.md", "");
    EXPECT_EQ(Run("pack r --file random2.dat").Status, 1);
    const std::string err = Stderr();
    EXPECT_NE(err.find("r/05.txt: its header is for stage 6, not 5\n"), std::string::npos) << err;
    EXPECT_NE(err.find("ignoring r/notes.md (not named NN.txt)"), std::string::npos) << err;
    EXPECT_EQ(Read("random2.dat"), Read("random.dat"));
}

TEST_F(StageToolTest, UnpackWarnsOfWhatATextMapCannotCarry)
{
    StageRecord odd = Empty();
    odd.Caption.Assign(std::string("Two\rlines"));
    odd.EnemyCount[20] = 1;
    odd.Reserved2[3] = 9;
    odd.BG_H_Tile = 2;
    odd.BG[4][4] = -2;
    Write("Stage.Dat", Bytes(Empty()) + Bytes(odd));
    EXPECT_EQ(Run("unpack d").Status, 0);
    const std::string err = Stderr();
    EXPECT_EQ(err.find("stage 00"), std::string::npos) << err;
    for (const char* what : {"stage 01 will not come back byte for byte", "EnemyCount slots 16..31", "reserved bytes",
                             "Caption holds a line break", "BG_H_Tile is 2", "1 cell holds codes"})
        EXPECT_NE(err.find(what), std::string::npos) << what << "\n" << err;
    EXPECT_TRUE(fs::exists(Dir / "d" / "01.txt"));
}

TEST_F(StageToolTest, UnpackAndPackRefuseWhatTheyCannotDoWhole)
{
    // 101 records: the last has no two-digit name.
    std::string many;
    for (int n = 0; n < 101; ++n)
        many += Bytes(Empty());
    Write("many.dat", many);
    EXPECT_EQ(Run("unpack --file many.dat d").Status, 1);
    EXPECT_NE(ErrorLine().find("records past 99 would be lost"), std::string::npos);
    EXPECT_FALSE(fs::exists(Dir / "d"));

    Write("afile", "x");
    EXPECT_EQ(Run("unpack --file many.dat afile").Status, 1);
    ErrorLine();

    fs::create_directories(Dir / "maps");
    Write("Stage.Dat", "keep");
    for (const char* args : {"pack maps", "pack nowhere", "pack afile"}) {
        EXPECT_EQ(Run(args).Status, 1) << args;
        ErrorLine();
    }
    Write("maps/00.txt", "no header");
    ASSERT_EQ(Run("random 1 --seed 1 -o maps/01.txt").Status, 0);
    fs::create_directories(Dir / "maps" / "02.txt");
    Write("maps/03.txt", "[Stage3]\r\n");
    fs::resize_file(Dir / "maps" / "03.txt", (std::uintmax_t{16} << 20) + 1);
    EXPECT_EQ(Run("pack maps").Status, 1);
    const std::string err = Stderr();
    for (const char* what : {"maps/00.txt: no stage header",
                             "maps/02.txt: ", "maps/03.txt: ", "3 of 4 text maps could not be read; nothing written"})
        EXPECT_NE(err.find(what), std::string::npos) << what << "\n" << err;
    EXPECT_EQ(Read("Stage.Dat"), "keep");
}

TEST_F(StageToolTest, NewOutputsAreWrittenWholeOrNotAtAll)
{
    fs::copy(Examples() / "Stage.Dat", Dir / "S.dat");
    ASSERT_EQ(Run("unpack --file S.dat maps").Status, 0);
    Write("old.dat", "an older file");
    Write("maps/00.txt.keep", "");
    const std::set<std::string> names = Names();
    for (const char* args : {"sheet --file S.dat -o sheet.png", "pack maps --file old.dat", "pack maps --file new.dat",
                             "unpack --file S.dat maps"}) {
        EXPECT_EQ(RunOnFullDisk(args).Status, 1) << args;
        EXPECT_NE(Stderr().find("File too large"), std::string::npos) << args;
    }
    EXPECT_EQ(Read("old.dat"), "an older file");
    EXPECT_EQ(Names(), names);
}
