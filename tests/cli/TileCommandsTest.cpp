// stagetool find, stats and replace on lettered stages: what each prints,
// its exit status, and what replace leaves in the stage file.
#include "support/StageFileKit.h"
#include "support/StageToolRun.h"

namespace {

// A: steel 40 at 3,4 and 41 at 5,4, a brick at 1,1, water at 0,0. B: steel
// 43 at 0,29, caption "Rivière Nord" over two lines. C: a shadow code in FG
// (a damaged stage). D: empty.
std::vector<StageRecord> Stages()
{
    std::vector<StageRecord> stages = LetterStages("ABC.");
    stages[0].FG[3][4] = 40;
    stages[0].FG[5][4] = 41;
    stages[0].FG[1][1] = 24;
    stages[0].BG[0][0] = 4;
    stages[1].FG[0][29] = 43;
    stages[1].Caption.Assign(std::string("Rivi\xE8re\x80Nord"));
    stages[2].FG[7][7] = 17;
    return stages;
}

}  // namespace

TEST_F(StageToolTest, FindStatsAndReplaceAcrossTheStages)
{
    // clang-format off
    const struct {
        const char* Args;
        int Status;
        std::string Out;
        bool Changes = false;  // the stage file; unchanged otherwise
    } cases[] = {
        {"find steel", 0, "00\tA\tFG\t2\t3,4 5,4\n01\tRivi\xC3\xA8re Nord\tFG\t1\t0,29\n"},
        {"find 41 --json", 0, "[\n{\"stage\":0,\"caption\":\"A\",\"layer\":\"FG\",\"count\":1,\"cells\":[\"5,4\"]}\n]\n"},
        {"find steel --stages 1..3", 0, "01\tRivi\xC3\xA8re Nord\tFG\t1\t0,29\n"},
        {"find 17", 0, "02\tC\tFG\t1\t7,7\n"},
        {"find water --layer FG", 1, ""},
        {"find --caption NORD", 0, "01\tRivi\xC3\xA8re Nord\n"},
        {"find granite", 2, ""},
        {"find steel --caption A", 2, ""},
        {"find steel --stages 3..1", 2, ""},
        {"stats", 0, "4 water\tBG\t1 stage\t1 cell\n17 shadow\tFG\t1 stage\t1 cell\n24 brick\tFG\t1 stage\t1 cell\n"
                     "40 steel\tFG\t1 stage\t1 cell\n41 steel\tFG\t1 stage\t1 cell\n43 steel\tFG\t1 stage\t1 cell\n"
                     "unused: 0 grass, 1 grass, 2 grass, 3 grass, 5 water, ..."},
        {"stats --json", 0, "{\"used\":[\n{\"code\":4,\"name\":\"water\",\"layer\":\"BG\",\"stages\":1,\"cells\":1},\n..."},
        {"replace steel brick", 0, "00\tA\t2 cells\n01\tRivi\xC3\xA8re Nord\t1 cell\n", true},
        {"replace 17 empty --layer FG --stages 2", 0, "02\tC\t1 cell\n", true},
        {"replace brick water", 1, ""},
        {"replace 17 empty", 2, ""},
        {"replace sand brick", 2, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        Write("Stage.Dat", RecordBytes(Stages()));
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args << "\n" << Stderr();
        // A row whose text ends in "..." gives the start of the output.
        const bool start = c.Out.size() > 3 && c.Out.substr(c.Out.size() - 3) == "...";
        const std::size_t length = start ? c.Out.size() - 3 : std::string::npos;
        EXPECT_EQ(run.Out.substr(0, length), c.Out.substr(0, length)) << c.Args;
        if (!c.Changes) {
            EXPECT_EQ(Read("Stage.Dat"), RecordBytes(Stages())) << c.Args;
        }
    }
    // What replace refuses is said once, and the steel left for the stats.
    Write("Stage.Dat", RecordBytes(Stages()));
    EXPECT_EQ(Run("replace brick water").Status, 1);
    EXPECT_EQ(ErrorLine(), "stagetool replace: 4 water is a BG tile; it cannot go into FG; nothing changed\n");
    ASSERT_EQ(Run("replace steel brick --stages 0").Status, 0);
    EXPECT_EQ(Run("find steel").Out, "01\tRivi\xC3\xA8re Nord\tFG\t1\t0,29\n");
    EXPECT_EQ(Run("find brick").Out, "00\tA\tFG\t3\t1,1 3,4 5,4\n");
}
