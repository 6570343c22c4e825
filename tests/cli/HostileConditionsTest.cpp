// stagetool against what a stage folder, a shell or a desktop may throw at
// it: links, streams, names that differ in case, maps cut short, a file
// replaced while a command waits for it, no display, damaged pictures.
#include "support/HostileKit.h"
#include "support/StageFileKit.h"
#include "support/StageToolRun.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <cstdlib>

namespace {

fs::path Examples()
{
    return fs::path(STAGE_TEST_DATA) / ".." / ".." / "examples";
}

class HostileTest : public StageToolTest {
protected:
    void SetUp() override
    {
        StageToolTest::SetUp();
        fs::copy(Examples() / "Stage.Dat", Dir / "Stage.Dat");
        fs::copy(Examples() / "Map", Dir / "Map");
        Stages = Read("Stage.Dat");
    }
    std::string Stages;  // the stage file as it was
};

}  // namespace

// A version-controlled folder of text maps or Tiled maps may hold links:
// unpack and tiled-export never write through one to the stage file or out
// of the folder, whichever of their files it stands for; git-setup, which
// git would not read through it, writes through none.
TEST_F(HostileTest, FolderOutputsNeverWriteThroughALinkOutOfTheirFolder)
{
    Write("elsewhere.txt", "kept");
    struct Case {
        const char* Command;
        const char* Link;
        const char* To;
        const char* Error;
        bool WithTarget = false;  // the link's target is a file the command writes
        bool InGit = false;       // the folder is a git working tree
    };
    // clang-format off
    const Case cases[] = {
        {"unpack maps",       "00.txt",            "../Stage.Dat",     "maps/00.txt is the stage file itself"},
        {"unpack maps",       "03.txt",            "../elsewhere.txt", "maps/03.txt is a link that leads out of maps"},
        {"unpack maps",       "00.txt",            "/dev/null",        "maps/00.txt is a link that leads out of maps"},
        {"unpack maps",       "00.txt",            "01.txt",           "maps/01.txt and maps/00.txt lead to the same file", true},
        {"unpack maps",       "02.txt",            "missing.txt",      "maps/02.txt is a link to a missing file"},
        {"tiled-export maps", "00.tmx",            "../Stage.Dat",     "maps/00.tmx is the stage file itself"},
        {"tiled-export maps", "tiles.tsx",         "../elsewhere.txt", "maps/tiles.tsx is a link that leads out of maps"},
        {"tiled-export maps", "flag.png",          "/dev/null",        "maps/flag.png is a link that leads out of maps"},
        {"tiled-export maps", "03-background.png", "../elsewhere.txt", "maps/03-background.png is a link that leads out"},
        {"tiled-export maps", "stages.world",      "../elsewhere.txt", "maps/stages.world is a link that leads out"},
        {"tiled-export maps", "tiles.png",         "04.tmx",           "maps/04.tmx and maps/tiles.png lead to the same", true},
        {"git-setup maps",    ".gitattributes",    "../elsewhere.txt", "maps/.gitattributes is a symbolic link", false, true},
        {"git-setup maps",    ".gitattributes",    "00.txt",           "maps/.gitattributes is a symbolic link", true, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        fs::remove_all(Dir / "maps");
        fs::create_directories(Dir / "maps");
        fs::create_symlink(c.To, Dir / "maps" / c.Link);
        if (c.WithTarget)
            Write(std::string("maps/") + c.To, "kept");
        if (c.InGit) {
            ASSERT_EQ(std::system(("git init -q " + (Dir / "maps").string()).c_str()), 0);
        }
        EXPECT_EQ(Run(c.Command).Status, 1) << c.Link << " -> " << c.To;
        EXPECT_NE(ErrorLine().find(c.Error), std::string::npos) << c.Error;
        EXPECT_EQ(std::distance(fs::directory_iterator(Dir / "maps"), fs::directory_iterator()),
                  1 + c.WithTarget + c.InGit)
            << c.To;
        if (c.WithTarget) {
            EXPECT_EQ(Read(std::string("maps/") + c.To), "kept");
        }
    }
    EXPECT_EQ(Read("Stage.Dat"), Stages);
    EXPECT_EQ(Read("elsewhere.txt"), "kept");

    // Nor part way: a map's name that is no regular file refuses them all.
    fs::remove_all(Dir / "maps");
    fs::create_directories(Dir / "maps");
    ASSERT_EQ(::mkfifo((Dir / "maps" / "02.txt").c_str(), 0644), 0);
    EXPECT_EQ(Run("unpack maps").Status, 1);
    EXPECT_EQ(ErrorLine(), "stagetool unpack: maps/02.txt is not a regular file; nothing written\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir / "maps"), fs::directory_iterator()), 1);

    // A link that stays in the folder is written through, and stays.
    fs::remove_all(Dir / "maps");
    fs::create_directories(Dir / "maps" / "kept");
    fs::create_symlink("kept/zero.txt", Dir / "maps" / "00.txt");
    Write("maps/kept/zero.txt", "");
    EXPECT_EQ(Run("unpack maps").Status, 0);
    EXPECT_TRUE(fs::is_symlink(Dir / "maps" / "00.txt"));
    EXPECT_EQ(Read("maps/kept/zero.txt"), Run("export 0").Out);
}

// import takes what there is of a map the designer chose; pack, which
// replaces every stage at once, takes only whole maps.
TEST_F(HostileTest, PackRefusesAMapCutShortAndChangesNothing)
{
    ASSERT_EQ(Run("unpack maps").Status, 0);
    const std::string whole = Read("maps/03.txt");
    struct Case {
        std::string Text;
        const char* Error;
    };
    const Case cases[] = {
        {whole.substr(0, whole.find("[End]")), "maps/03.txt: it is cut short: it has no [End] line"},
        {whole.substr(0, whole.find("FG12=") + 20), "maps/03.txt: it is cut short: it has no BG13 line"},
        {"[Stage03]\r\nCaption=Only a start\r\n", "maps/03.txt: it is cut short: it has no BG00 line"},
    };
    for (const Case& c : cases) {
        Write("maps/03.txt", c.Text);
        EXPECT_EQ(Run("pack maps").Status, 1) << c.Error;
        const std::string err = Stderr();
        EXPECT_NE(err.find(c.Error), std::string::npos) << err;
        EXPECT_EQ(Read("Stage.Dat"), Stages);
        EXPECT_EQ(Run("import maps/03.txt --file lenient.dat").Status, 0) << c.Error;
    }
    Write("maps/03.txt", whole);
    EXPECT_EQ(Run("pack maps").Status, 0);
    EXPECT_EQ(Read("Stage.Dat"), Stages);
}

// An output that names a stream goes to the stream where it stands:
// appended to a log, down a pipe, never renamed over what it writes to.
TEST_F(HostileTest, OutputToAStreamIsWrittenWhereItStands)
{
    const std::string map = Run("export 0").Out;
    const std::string first = "first line\n";
    Write("log.txt", first);
    Write("other.txt", first);
    struct stat before {};
    ::stat((Dir / "log.txt").c_str(), &before);
    struct Case {
        std::string Script;
        const char* File;
        std::string Expected;
    };
    const std::string tool = Tool();
    const Case cases[] = {
        {tool + " export 0 -o /dev/stdout >> log.txt", "log.txt", first + map},
        {tool + " export 0 -o /proc/self/fd/3 3>> other.txt", "other.txt", first + map},
        {tool + " export 0 -o /dev/stdout | cat > piped.txt", "piped.txt", map},
        {tool + " random 7 --seed 12345 -o /dev/fd/1 > random.txt", "random.txt", Golden("Random07Seed12345.txt")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunScript(c.Script + " 2>err").Status, 0) << c.Script;
        EXPECT_EQ(Read("err"), "") << c.Script;
        EXPECT_EQ(Read(c.File), c.Expected) << c.Script;
    }
    EXPECT_EQ(RunScript(tool + " render 0 -o /dev/stdout > zero.png").Status, 0);
    EXPECT_EQ(Read("zero.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    struct stat after {};
    ::stat((Dir / "log.txt").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Read("Stage.Dat"), Stages);
    EXPECT_EQ(Names(), (std::set<std::string>{"Map", "Stage.Dat", "log.txt", "other.txt", "piped.txt", "random.txt",
                                              "zero.png"}));
}

// "Stage.Dat" beside "STAGE.DAT" would be found first by every later
// command: no output may take that name.
TEST_F(HostileTest, NoOutputHidesAStageFileOfAnotherCase)
{
    fs::rename(Dir / "Stage.Dat", Dir / "STAGE.DAT");
    for (const char* args : {"export 0 -o Stage.Dat", "render 0 -o stage.dat", "sheet -o Stage.Dat",
                             "random 1 -o STAGE.dat", "render 0 --file STAGE.DAT -o ./Stage.Dat"}) {
        EXPECT_EQ(Run(args).Status, 1) << args;
        EXPECT_NE(ErrorLine().find("would hide the stage file"), std::string::npos) << args;
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"Map", "STAGE.DAT"}));
    EXPECT_EQ(Read("STAGE.DAT"), Stages);
}

// A listing is of one file: a pack that replaces it while list waits for
// the lock gives a listing of the new file whole, never the count of one
// and the records of the other.
TEST_F(HostileTest, ListShowsOneFileEvenWhenItIsReplacedMeanwhile)
{
    TStartLine start;
    const pid_t list = StartChild([&] {
        start.Wait();
        const int out = ::open((Dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::execl(STAGETOOL_PATH, "stagetool", "list", "--file", (Dir / "Stage.Dat").c_str(), nullptr);
        return 127;
    });
    const int held = ::open((Dir / "Stage.Dat").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    start.ReleaseAll();
    ASSERT_TRUE(WaitUntilOpen(list, Dir / "Stage.Dat"));
    Write("new.dat", RecordBytes(LetterStages("ABCDEF")));
    fs::rename(Dir / "new.dat", Dir / "Stage.Dat");
    ::close(held);
    EXPECT_EQ(WaitChild(list).ExitStatus, 0);
    EXPECT_EQ(Read("out"),
              "00\tA\t0\t5\t\n01\tB\t0\t5\t\n02\tC\t0\t5\t\n03\tD\t0\t5\t\n04\tE\t0\t5\t\n05\tF\t0\t5\t\n");
}

// The command-line tool draws off screen, whatever display the environment
// names, and says nothing but its own messages.
TEST_F(HostileTest, DrawingNeedsNoDisplayAndLibrariesSayNothing)
{
    // An indexed picture whose colour table is longer than its pixels can index.
    std::string bmp = "BM" + std::string(52, '\0');
    const auto put32 = [&bmp](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    put32(10, 14 + 40 + 16 * 4);  // pixels after 16 colours
    put32(14, 40);
    put32(18, 4);  // 4 x 4
    put32(22, 4);
    put32(26, 1 | (1 << 16));  // 1 plane, 1 bit a pixel
    put32(46, 16);             // colours used
    bmp += std::string(16 * 4 + 4 * 4, '\x40');
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    Write("Map/odd.bmp", bmp);
    StageRecord record = LetterStages("O")[0];
    record.BG_Bitmap.Assign(std::string("odd.bmp"));
    Write("Stage.Dat", RecordBytes(record) + Stages);

    const std::string clean = "env -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM DISPLAY=:4711 ";
    for (const std::string& environment : {clean, clean + "QT_QPA_PLATFORM=xcb "}) {
        for (const char* args : {"render 0 -o zero.png", "sheet -o all.png", "check --json"}) {
            const TRun run = RunScript(environment + Tool() + " " + args + " > out 2>err");
            EXPECT_EQ(run.Status, 0) << environment << args;
            EXPECT_EQ(Read("err"), "") << environment << args;
        }
    }
    EXPECT_EQ(Read("zero.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

// What stagetool once did without a word, it now refuses or says, naming
// the cause: a save into a stage file cut short, a pack from a folder that
// holds only some of the maps, a stage file beside another of its name in
// another letter case.
TEST_F(HostileTest, DamagedFilesLostStagesAndTwinNamesAreNamed)
{
    ASSERT_EQ(Run("unpack maps").Status, 0);
    ASSERT_EQ(Run("unpack some").Status, 0);
    fs::remove(Dir / "some" / "01.txt");
    ASSERT_EQ(Run("export 3 -o 03.txt").Status, 0);
    const std::string cut = Stages.substr(0, 27000);
    struct Case {
        std::string Before;  // Stage.Dat
        const char* Args;
        int Status;
        const char* Message;  // on standard error
        std::string After;
        bool Only = false;  // the message is all there is on standard error
    };
    const std::string pruned = Stages.substr(0, 6000) + EmptyRecordBytes() + Stages.substr(12000);
    const Case cases[] = {
        {cut, "import 03.txt", 1, "Stage.Dat ends inside stage 04 (3000 of 6000 bytes). Nothing written", cut},
        {cut, "pack maps", 0, "Stage.Dat ends inside stage 04 (3000 of 6000 bytes). That piece is dropped.", Stages},
        {cut, "swap 1 0", 0,
         "stagetool swap: Stage.Dat ends inside stage 04 (3000 of 6000 bytes). That piece is dropped.\n",
         Stages.substr(6000, 6000) + Stages.substr(0, 6000) + cut.substr(12000, 12000), true},
        {cut, "swap 2 2", 0, "stagetool swap: nothing changed\n", cut, true},
        {Stages, "pack some", 1, "stage 01 of Stage.Dat (Desert Fort) has no text map in some\n", Stages},
        {Stages, "pack some", 1, "1 stage would be lost; nothing written (pack --prune drops them)", Stages},
        {Stages, "pack some --prune", 0, "stage 01 of Stage.Dat (Desert Fort) has no text map in some; dropped",
         pruned},
    };
    for (const Case& c : cases) {
        Write("Stage.Dat", c.Before);
        EXPECT_EQ(Run(c.Args).Status, c.Status) << c.Args;
        EXPECT_NE(Stderr().find(c.Message), std::string::npos) << c.Args << ": " << Stderr();
        EXPECT_TRUE(!c.Only || Stderr() == c.Message) << c.Args << ": " << Stderr();
        EXPECT_EQ(Read("Stage.Dat"), c.After) << c.Args;
    }

    // Two names that differ in case: neither is the stage file, and nothing
    // makes a third.
    fs::rename(Dir / "Stage.Dat", Dir / "STAGE.DAT");
    Write("stage.dat", cut);
    for (const char* args : {"list", "import 03.txt", "new"}) {
        EXPECT_EQ(Run(args).Status, 1) << args;
        EXPECT_TRUE(ErrorLine().ends_with(": STAGE.DAT and stage.dat both exist; remove one\n")) << Stderr();
    }
    EXPECT_EQ(Names().count("Stage.Dat"), 0u);

    // Captions print in UTF-8; the file keeps its bytes.
    StageRecord cafe = LetterStages("C")[0];
    cafe.Caption.Assign(std::string("Caf\xE9"));
    Write("Stage.Dat", RecordBytes(cafe));
    EXPECT_EQ(Run("list").Out, "00\tCaf\xC3\xA9\t0\t5\t\n");
    EXPECT_EQ(Run("copy 0 1").Out, "01\tCaf\xC3\xA9\tcopy of 00\n");
    EXPECT_EQ(Read("Stage.Dat"), RecordBytes({cafe, cafe}));
}
