// stagetool as designers and scripts run it: exit codes, files and outputs.
#include "stage/StageRecord.h"
#include "support/HostileKit.h"
#include "support/StageToolRun.h"

#include <sys/stat.h>

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
        {"export 2", 1},  // beyond the last record: no random stage here
        {"export 0 --file missing.dat", 1},
        {"export 100", 2},
        {"export -1", 2},
        {"export abc", 2},
        {"export 1x", 2},
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
    EmptyStage(record);
    record.BG[0][0] = 5;
    record.FG[0][0] = 30;    // both exclusive codes: the FG code wins
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
    for (const char* args : {"random 7 --seed 4294967296", "random 7 --seed -1", "random 100 --seed 1"})
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
    EmptyStage(record);
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

// A game folder copied from another system may hold "STAGE.DAT": every
// command finds it as the editor does, and it keeps its name.
TEST_F(StageToolTest, EveryCommandFindsTheStageFileIgnoringCase)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(std::string("Upper"));
    Write("STAGE.DAT", std::string(reinterpret_cast<const char*>(&record), sizeof record));
    EXPECT_EQ(Run("list").Out, "00\tUpper\t0\t5\t\n");
    EXPECT_EQ(Run("export 0").Status, 0);
    EXPECT_EQ(Run("check").Status, 0);
    EXPECT_EQ(Run("render 0 -o zero.png").Status, 0);
    EXPECT_EQ(Run("unpack maps").Status, 0);
    EXPECT_EQ(Run("pack maps").Status, 0);
    const std::set<std::string> names = Names();
    EXPECT_EQ(names.count("STAGE.DAT"), 1u);
    EXPECT_EQ(names.count("Stage.Dat"), 0u);
}

// The program's own: its command line and exit codes.
TEST_F(StageToolTest, UsageErrors)
{
    for (const char* args : {"", "bogus", "list extra", "list --file", "new --count", "export", "export 0 1",
                             "export 0 --bogus 1", "export 0 -o", "random", "check --json x", "check --json --json"}) {
        const TRun run = RunProgram(args);
        EXPECT_EQ(run.Status, 2) << args;
        EXPECT_EQ(run.Out, "") << args;
        EXPECT_NE(Stderr().find("stagetool"), std::string::npos) << args;
    }
    const TRun help = RunProgram("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.substr(0, 7), "usage:\n");
    ASSERT_EQ(RunProgram("new").Status, 0);
    EXPECT_EQ(RunProgram("export 0").Out, Golden("EmptyStage00.txt"));
    EXPECT_EQ(RunProgram("export 1").Status, 1);
    EXPECT_EQ(ErrorLine().rfind("stagetool export: ", 0), 0u);
}

TEST_F(StageToolTest, OutputsAreWrittenWholeOrNotAtAll)
{
    ASSERT_EQ(Run("new --count 3 --file S.dat").Status, 0);
    ASSERT_EQ(Run("random 2 --seed 4 -o map.txt").Status, 0);
    Write("old.png", "an older picture");
    const std::string map = Read("map.txt");
    const std::string stages = Read("S.dat");
    const std::set<std::string> names = Names();
    // Each would write a file far beyond 1 KB.
    for (const char* args :
         {"export 1 --file S.dat -o map.txt", "random 5 -o map.txt", "render 0 --file S.dat -o old.png",
          "render 0 --file S.dat -o new.png", "import map.txt --file new.dat", "new --count 2 --file new.dat",
          "import map.txt --file S.dat"}) {
        EXPECT_EQ(RunOnFullDisk(args).Status, 1) << args;
        EXPECT_NE(ErrorLine().find("File too large"), std::string::npos) << args;
    }
    EXPECT_EQ(Stderr(), "stagetool import: cannot write stage 2 to S.dat: File too large\n");
    EXPECT_EQ(Read("map.txt"), map);
    EXPECT_EQ(Read("old.png"), "an older picture");
    EXPECT_EQ(Read("S.dat"), stages);
    EXPECT_EQ(Names(), names);  // no new file, no temporary file

    // With room, an existing output is replaced and keeps its permissions.
    ASSERT_EQ(::chmod((Dir / "map.txt").c_str(), 0640), 0);
    ASSERT_EQ(Run("export 1 --file S.dat -o map.txt").Status, 0);
    EXPECT_EQ(Read("map.txt").substr(0, 9), "[Stage01]");
    EXPECT_EQ(fs::status(Dir / "map.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Run("render 1 --file S.dat -o old.png").Status, 0);
    EXPECT_EQ(Read("old.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(StageToolTest, AnOutputThatIsTheStageFileIsRefused)
{
    ASSERT_EQ(Run("new --count 5 --file S.dat").Status, 0);
    fs::create_symlink("S.dat", Dir / "link.dat");
    fs::create_hard_link(Dir / "S.dat", Dir / "hard.dat");
    const std::string stages = Read("S.dat");
    for (const char* args : {"export 0 --file S.dat -o S.dat", "export 0 --file S.dat -o ./S.dat",
                             "export 0 --file link.dat -o S.dat", "export 0 --file S.dat -o hard.dat",
                             "render 0 --file S.dat -o S.dat", "export 0 -o Stage.Dat", "render 0 -o Stage.Dat"}) {
        EXPECT_EQ(Run(args).Status, 1) << args;
        ErrorLine();
    }
    EXPECT_EQ(Read("S.dat"), stages);
    EXPECT_FALSE(fs::exists(Dir / "Stage.Dat"));
}

TEST_F(StageToolTest, RenderFailsAsExportDoesAndWritesNoPicture)
{
    ASSERT_EQ(Run("new --count 2 --file S.dat").Status, 0);
    fs::create_directories(Dir / "adir");
    ASSERT_EQ(::mkfifo((Dir / "fifo.dat").c_str(), 0644), 0);
    const int sock = BindSocket((Dir / "sock.dat").string());
    ASSERT_GE(sock, 0);
    const std::set<std::string> names = Names();
    for (const char* args : {"render 0 --file missing.dat -o out.png", "render 2 --file S.dat -o out.png",
                             "render 0 --file adir -o out.png", "render 0 --file sock.dat -o out.png",
                             "render 0 --file fifo.dat -o out.png", "render 0 --file S.dat -o /dev/full",
                             "render 0 --file S.dat -o adir"}) {
        EXPECT_EQ(Run(args).Status, 1) << args;
        ErrorLine();
    }
    ::close(sock);
    EXPECT_EQ(Names(), names);
}

TEST_F(StageToolTest, TextMapsAreReadWithABound)
{
    ASSERT_EQ(Run("new --count 4").Status, 0);
    // A header, then NUL bytes up to the size: the NUL ends the text.
    Write("limit.txt", "[Stage3]\r\nCaption=Largest\r\n");
    fs::resize_file(Dir / "limit.txt", std::uintmax_t{16} << 20);
    EXPECT_EQ(Run("import limit.txt").Status, 0);
    EXPECT_NE(Run("export 3").Out.find("Caption=Largest\r\n"), std::string::npos);

    Write("over.txt", "[Stage2]\r\nCaption=Too big\r\n");
    fs::resize_file(Dir / "over.txt", (std::uintmax_t{16} << 20) + 1);
    ASSERT_EQ(::mkfifo((Dir / "fifo.txt").c_str(), 0644), 0);
    const std::string stages = Read("Stage.Dat");
    struct Case {
        const char* Args;
        const char* Reason;
    };
    for (const Case& c : {Case{"import over.txt", "larger than 16 MB"}, Case{"import fifo.txt", "not a regular file"},
                          Case{"import .", "is a directory"}}) {
        EXPECT_EQ(Run(c.Args).Status, 1) << c.Args;
        EXPECT_NE(ErrorLine().find(c.Reason), std::string::npos) << c.Args;
    }
    EXPECT_EQ(Read("Stage.Dat"), stages);
}

TEST_F(StageToolTest, RenderReportsADamagedPictureAndDrawsTheColour)
{
    StageRecord record;
    EmptyStage(record);
    record.BG_Bitmap.Assign(std::string("cut.bmp"));
    Write("Stage.Dat", std::string(reinterpret_cast<const char*>(&record), sizeof record));
    fs::create_directories(Dir / "Map");
    Write("Map/cut.bmp", "BM" + std::string(200, 'x'));
    EXPECT_EQ(Run("render 0 -o out.png").Status, 0);
    // Once, and nothing else.
    EXPECT_EQ(ErrorLine().find("stagetool render: cut.bmp: Bitmap image is not valid"), 0u);
    EXPECT_GT(fs::file_size(Dir / "out.png"), 0u);
}
