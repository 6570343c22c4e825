// stagetool diff, textconv, merge and git-setup: what each prints and exits
// with, what a damaged file gives, and git itself diffing and merging stage
// files through them.
#include "cli/GitSetup.h"
#include "support/StageFileKit.h"
#include "support/StageToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace {

// Lettered stages A..E, with stage B's cells painted.
std::vector<StageRecord> Painted()
{
    std::vector<StageRecord> stages = LetterStages("ABCDE");
    for (int x = 3; x <= 6; ++x)
        stages[1].FG[x][7] = 24;
    return stages;
}

}  // namespace

TEST_F(StageToolTest, DiffNamesEveryChangeStageByStageAndExitsAsDiffDoes)
{
    std::vector<StageRecord> after = Painted();
    std::swap(after[3], after[4]);
    after.push_back(LetterStages("F")[0]);
    StageRecord& b = after[1];
    b.Caption.Assign("B" + std::string(1, static_cast<char>(LineBreakMark)) + "two");
    for (int x = 3; x <= 5; ++x)
        b.FG[x][7] = EmptyCode;
    b.BG[6][7] = 4;
    b.EnemyCount[17] = 5;
    b.Reserved2[3] = 9;
    Write("a.dat", RecordBytes(Painted()));
    Write("b.dat", RecordBytes(after));
    const TRun run = Run("diff a.dat b.dat");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "records: 5 \u2192 6\n"
              "stage 01 \"B\\ntwo\"\n"
              "  Caption: \"B\" \u2192 \"B\\ntwo\"\n"
              "  EnemyCount[17] (reserved slot): 0 \u2192 5\n"
              "  Reserved2 (reserved bytes): all zero \u2192 3:09\n"
              "  FG: 3 cells, BG: 1 cell\n"
              "  3..5,7: BG -1 empty, FG 24 brick \u2192 -1 empty\n"
              "  6,7: BG -1 empty \u2192 4 water, FG 24 brick\n"
              "stage 03 was stage 04 \"E\"\n"
              "stage 04 was stage 03 \"D\"\n"
              "stage 05 added \"F\": FG: 0 cells, BG: 0 cells\n");
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(Run("diff --json a.dat b.dat").Out)).object();
    EXPECT_EQ(json["records"].toArray().size(), 2);
    EXPECT_EQ(json["stages"].toArray()[0].toObject()["cells"].toArray().size(), 4);

    // clang-format off
    const struct {
        const char* Args;
        int Status;
        const char* Error;
    } statuses[] = {
        {"diff a.dat a.dat",    0, ""},
        {"diff a.dat none.dat", 2, "stagetool diff: cannot read none.dat: No such file or directory\n"},
        {"diff a.dat cut.dat",  2, "stagetool diff: cut.dat ends inside stage 00 (10 of 6000 bytes).\n"},
        {"diff - -",            2, "stagetool diff: only one of A and B can be standard input (usage: stagetool diff A|- B|- [--json] [--png DIR])\n"},
    };
    // clang-format on
    Write("cut.dat", std::string(10, 'x'));
    for (const auto& c : statuses) {
        EXPECT_EQ(Run(c.Args).Status, c.Status) << c.Args;
        EXPECT_EQ(Stderr(), c.Error) << c.Args;
    }
}

// Standard input is read as a file is, even through a pipe; pictures go into
// a folder that refuses links out of it.
TEST_F(StageToolTest, DiffReadsStandardInputAndDrawsTheChangedStages)
{
    std::vector<StageRecord> after = Painted();
    after[1].FG[3][7] = EmptyCode;
    after[2].BG[0][0] = 0;
    Write("a.dat", RecordBytes(Painted()));
    Write("Stage.Dat", RecordBytes(after));
    const std::string fromFile = Run("diff a.dat Stage.Dat").Out;
    const TRun piped = RunProgram("diff - Stage.Dat --png pics < a.dat");
    EXPECT_EQ(piped.Status, 1) << Stderr();
    EXPECT_EQ(piped.Out, fromFile);
    EXPECT_EQ(std::set<std::string>({"01.png", "02.png", "changes.png"}), [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir / "pics"))
            names.insert(entry.path().filename().string());
        return names;
    }());

    fs::create_directory(Dir / "trap");
    fs::create_symlink("../Stage.Dat", Dir / "trap" / "02.png");
    EXPECT_EQ(Run("diff a.dat Stage.Dat --png trap").Status, 2);
    EXPECT_NE(Stderr().find("trap/02.png is a link that leads out of trap"), std::string::npos) << Stderr();
    EXPECT_EQ(Read("Stage.Dat"), RecordBytes(after));
}

// Whatever the file, textconv prints what it can, says what is wrong, and
// exits 0: git diff and git log stop for the whole repository otherwise.
TEST_F(StageToolTest, TextconvNeverFails)
{
    std::vector<StageRecord> wide = LetterStages("A.");
    wide[0].BG[2][5] = 300;
    wide[0].Reserved3[10] = 1;
    wide[0].Caption.Chars[20] = 'z';
    ::mkfifo((Dir / "fifo").c_str(), 0600);
    fs::create_directory(Dir / "folder");
    // clang-format off
    const struct {
        const char* Name;
        std::string Bytes;   // none: not written
        const char* Shows;   // in the output
    } cases[] = {
        {"wide.dat",   RecordBytes(wide),                   "BG05 codes=-1,-1,300,-1"},
        {"wide.dat",   RecordBytes(wide),                   "Caption tail=21:7A\nReserved3=10:01\n"},
        {"wide.dat",   RecordBytes(wide),                   "\n[Stage01] empty\n"},
        {"cut.dat",    RecordBytes(wide) + "x",             "the file ends inside stage 02 (1 of 6000 bytes).\n"},
        {"text.dat",   "not a stage file\n",                "the file ends inside stage 00 (17 of 6000 bytes)"},
        {"long.dat",   std::string(6000 * 1001, '\0'),      "holds more than 1000 records"},
        {"none.dat",   {},                                  "the file cannot be read: No such file or directory\n"},
        {"folder",     {},                                  "the file cannot be read: it is a directory\n"},
        {"fifo",       {},                                  "the file cannot be read: it is not a regular file\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        if (!c.Bytes.empty())
            Write(c.Name, c.Bytes);
        const TRun run = Run(std::string("textconv ") + c.Name);
        EXPECT_EQ(run.Status, 0) << c.Name;
        EXPECT_NE(run.Out.find(c.Shows), std::string::npos) << c.Name << ": " << run.Out.substr(0, 400);
    }
}

TEST_F(StageToolTest, MergeExitsAsGitExpectsAndChangesNothingOnTrouble)
{
    std::vector<StageRecord> ours = Painted(), theirs = Painted();
    ours[0].BG[1][1] = 4;
    theirs[0].BG[1][1] = 0;
    theirs[4].FG[9][9] = 30;
    Write("base.dat", RecordBytes(Painted()));
    Write("theirs.dat", RecordBytes(theirs));
    Write("cut.dat", RecordBytes(Painted()).substr(0, 7000));
    // clang-format off
    const struct {
        const char* Args;
        int Status;
        const char* Error;  // its first line
        int Kept;           // stage 0's cell 1,1 after; the rest is theirs, or ours when no theirs.dat
    } cases[] = {
        {"merge base.dat ours.dat base.dat",                     0, "", 4},
        {"merge base.dat ours.dat theirs.dat --path Stage.Dat",  1, "Stage.Dat: stage 00: cell 1,1: base BG -1 empty, FG -1 empty; ours BG 4 water, FG -1 empty; theirs BG 0 grass, FG -1 empty\n", 4},
        {"merge base.dat ours.dat theirs.dat --prefer theirs",   0, "ours.dat: stage 00: cell 1,1:", 0},
        {"merge cut.dat ours.dat theirs.dat",                    2, "stagetool merge: cut.dat ends inside stage 01 (1000 of 6000 bytes).\n", 4},
        {"merge base.dat ours.dat theirs.dat --prefer mine",     2, "stagetool merge: --prefer takes ours or theirs", 4},
        {"merge base.dat ours.dat theirs.dat --json ours.dat",   2, "stagetool merge: --json ours.dat is the stage file itself", 4},
        {"merge base.dat ours.dat theirs.dat --json base.dat",   2, "stagetool merge: --json base.dat is the stage file itself", 4},
    };
    // clang-format on
    for (const auto& c : cases) {
        Write("ours.dat", RecordBytes(ours));
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args;
        EXPECT_EQ(Stderr().substr(0, std::strlen(c.Error)), c.Error) << c.Args;
        std::vector<StageRecord> expected = c.Status == 2 ? ours : std::strstr(c.Args, "theirs") ? theirs : ours;
        expected[0].BG[1][1] = static_cast<std::int16_t>(c.Kept);
        EXPECT_EQ(Read("ours.dat"), RecordBytes(expected)) << c.Args;
    }
}

// git itself, in a scratch repository that reads none of the user's
// settings: after git-setup it merges two branches' work on different
// stages, one of them moved, stops on a real conflict with a valid file
// and the cell named, and diffs the stage file by its rows.
TEST_F(StageToolTest, GitDiffsAndMergesStageFilesThroughGitSetup)
{
    const std::string git =
        "export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=Designer "
        "GIT_AUTHOR_EMAIL=designer@example.org GIT_COMMITTER_NAME=Designer "
        "GIT_COMMITTER_EMAIL=designer@example.org; cd repo && ";
    const auto commit = [&](const std::vector<StageRecord>& stages, const std::string& then) {
        Write("repo/Stage.Dat", RecordBytes(stages));
        return RunScript(git + "git add -A && git commit -qm work && " + then + " 2>&1");
    };
    ASSERT_EQ(RunScript("git init -q -b main repo").Status, 0);
    const TRun setup = RunScript(git + Tool() + " git-setup 2>&1");
    ASSERT_EQ(setup.Status, 0) << setup.Out;
    EXPECT_NE(setup.Out.find("is not an installed program"), std::string::npos) << setup.Out;
    EXPECT_EQ(RunScript(git + "git config merge.stagetool.driver moved && " + Tool() + " git-setup 2>/dev/null").Out,
              "updated merge.stagetool.driver (it was moved)\n");
    EXPECT_EQ(RunScript(git + Tool() + " git-setup 2>/dev/null").Out,
              (Dir / "repo").string() + ": git already diffs and merges stage files with " + STAGETOOL_PATH + "\n");
    EXPECT_EQ(Read("repo/.gitattributes"), std::string(StageAttributes) + "\n");

    const std::vector<StageRecord> base = Painted();
    ASSERT_EQ(commit(base, "git checkout -qb paint").Status, 0);
    std::vector<StageRecord> painted = base;
    painted[1].BG[2][3] = 0;   // B
    painted[3].FG[4][4] = 30;  // D, which main moves
    ASSERT_EQ(commit(painted, "git checkout -q main").Status, 0);
    std::vector<StageRecord> moved = base;
    std::rotate(moved.begin(), moved.begin() + 3, moved.begin() + 4);  // D A B C E
    moved[4].BG[0][0] = 7;                                             // E
    const TRun merged = commit(moved, "git merge -q --no-edit paint");
    EXPECT_EQ(merged.Status, 0) << merged.Out;
    std::vector<StageRecord> both = moved;
    both[0].FG[4][4] = 30;
    both[2].BG[2][3] = 0;
    EXPECT_EQ(Read("repo/Stage.Dat"), RecordBytes(both));

    ASSERT_EQ(RunScript(git + "git checkout -qb other").Status, 0);
    std::vector<StageRecord> other = both;
    other[1].BG[5][6] = 4;
    ASSERT_EQ(commit(other, "git checkout -q main").Status, 0);
    std::vector<StageRecord> mine = both;
    mine[1].BG[5][6] = 0;
    const TRun conflict = commit(mine, "git merge -q --no-edit other");
    EXPECT_NE(conflict.Status, 0);
    EXPECT_NE(conflict.Out.find("Stage.Dat: stage 01: cell 5,6: base BG -1 empty"), std::string::npos) << conflict.Out;
    EXPECT_EQ(Read("repo/Stage.Dat"), RecordBytes(mine));

    const TRun diff = RunScript(git + "git diff HEAD~1 HEAD");
    for (const char* line : {" @@ [Stage01] \"A\"\n", "\n-BG06=00 00 00 00 00 00 00", "\n+BG06=00 00 00 00 00 01 00"})
        EXPECT_NE(diff.Out.find(line), std::string::npos) << line << diff.Out;
}
