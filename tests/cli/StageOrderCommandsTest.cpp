// stagetool move, copy, swap, insert, delete and clear: what each prints and
// leaves in the stage file, and nothing changed when one fails.
#include "support/StageFileKit.h"
#include "support/StageToolRun.h"

namespace {

std::string Bytes(std::string_view names)
{
    return RecordBytes(LetterStages(names));
}

}  // namespace

TEST_F(StageToolTest, StageOrderCommandsPrintWhatTheyChanged)
{
    const struct {
        const char* Args;
        const char* Out;
        int Status;
        const char* File;  // after
    } cases[] = {
        {"move 0 2", "00\tB\tmoved from 01\n01\tC\tmoved from 02\n02\tA\tmoved from 00\n", 0, "BCAD"},
        {"copy 0 5", "04\tUndefined Stage\tempty\n05\tA\tcopy of 00\n", 0, "ABCD.A"},
        {"swap 3 1", "01\tD\tmoved from 03\n03\tB\tmoved from 01\n", 0, "ADCB"},
        {"insert 1", "01\tUndefined Stage\tempty\n02\tB\tmoved from 01\n03\tC\tmoved from 02\n04\tD\tmoved from 03\n",
         0, "A.BCD"},
        {"delete 2", "02\tD\tmoved from 03\n03\tUndefined Stage\tempty\n", 0, "ABD."},
        {"clear 0 3 --file Stage.Dat", "00\tUndefined Stage\tempty\n03\tUndefined Stage\tempty\n", 0, ".BC."},
        {"swap 2 2", "", 0, "ABCD"},
        {"move 0 100", "", 2, "ABCD"},
        {"clear", "", 2, "ABCD"},
    };
    for (const auto& c : cases) {
        Write("Stage.Dat", Bytes("ABCD"));
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args;
        EXPECT_EQ(run.Out, c.Out) << c.Args;
        EXPECT_EQ(StageLetters(Read("Stage.Dat")), c.File) << c.Args;
    }
    EXPECT_EQ(Stderr(), "stagetool clear: wrong number of arguments (usage: stagetool clear N ... [--file F])\n");
}

// A refused operation, a missing file and a disk too full for the new file
// all leave everything as it was, saying why on one line.
TEST_F(StageToolTest, AStageOrderCommandThatFailsChangesNothing)
{
    const std::string full = Bytes(std::string(99, 'A') + "B");
    const struct {
        const char* Args;
        std::string Before;
        const char* Error;
    } cases[] = {
        {"insert 0", full,
         "stagetool insert: cannot change Stage.Dat: the file already holds 100 stages and the last, 99, is not "
         "empty; nothing changed\n"},
        {"move 0 1 --file none.dat", full,
         "stagetool move: cannot change none.dat: there is no stage file; nothing changed\n"},
    };
    for (const auto& c : cases) {
        Write("Stage.Dat", c.Before);
        EXPECT_EQ(Run(c.Args).Status, 1) << c.Args;
        EXPECT_EQ(ErrorLine(), c.Error);
        EXPECT_TRUE(Read("Stage.Dat") == c.Before) << c.Args;
    }
    Write("Stage.Dat", Bytes("ABCD"));
    EXPECT_EQ(RunOnFullDisk("move 0 3").Status, 1);
    EXPECT_NE(ErrorLine().find("stagetool move: cannot change Stage.Dat: "), std::string::npos);
    EXPECT_EQ(StageLetters(Read("Stage.Dat")), "ABCD");
    EXPECT_EQ(Names(), (std::set<std::string>{"Stage.Dat"}));
}
