// Replacing a tile across stages on records: variants, empty cells, the
// exclusion rule, the stages chosen, and the tiles no layer may take.
#include "storage/TileReplace.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

namespace {

// A: bricks 24..27 along row 0, steel 40 and 43 in row 1, water under 5,5,
// grass under a brick at 6,6. B: one brick at 0,0.
std::vector<StageRecord> Stages()
{
    std::vector<StageRecord> stages = LetterStages("AB");
    StageRecord& a = stages[0];
    for (int x = 0; x < 4; ++x)
        a.FG[x][0] = static_cast<std::int16_t>(24 + x);
    a.FG[0][1] = 40;
    a.FG[1][1] = 43;
    a.BG[5][5] = 4;
    a.BG[6][6] = 0;
    a.FG[6][6] = 24;
    stages[1].FG[0][0] = 24;
    return stages;
}

struct TCellIs {
    int Stage;
    TStageLayer Layer;
    int X, Y, Code;
};

}  // namespace

TEST(TileReplace, CellsTakeTheirReplacementAsPaintWritesThem)
{
    using enum TStageLayer;
    // clang-format off
    const struct {
        const char* What;
        const char* From;
        const char* To;
        TStageLayer Layer;
        int First, Last;
        std::vector<TCellIs> Cells;  // or nothing, with Error
        std::vector<int> Counts;
        const char* Error = "";
        std::vector<int> Only = {};
    } cases[] = {
        {"variants follow", "brick", "steel", FG, 0, 99, {{0, FG, 0, 0, 40}, {0, FG, 3, 0, 43}, {0, FG, 6, 6, 40}, {1, FG, 0, 0, 40}}, {5, 1}},
        {"four onto two", "steel", "plate", FG, 0, 99, {{0, FG, 0, 1, 28}, {0, FG, 1, 1, 29}}, {2, 0}},
        {"a code's variant", "26", "steel", FG, 0, 99, {{0, FG, 2, 0, 42}, {0, FG, 1, 0, 25}}, {1, 0}},
        {"to empty, stage 1", "brick", "empty", FG, 1, 1, {{1, FG, 0, 0, -1}, {0, FG, 0, 0, 24}}, {0, 1}},
        {"selected stages", "brick", "steel", FG, 0, 99, {{1, FG, 0, 0, 40}, {0, FG, 0, 0, 24}}, {0, 1}, "", {1}},
        {"onto itself",      "brick", "brick", FG, 0, 99, {{0, FG, 0, 0, 24}}, {0, 0}},
        {"water empties FG", "grass", "water", BG, 0, 99, {{0, BG, 6, 6, 4}, {0, FG, 6, 6, -1}}, {1, 0}},
        {"brick empties BG", "empty", "24", FG, 0, 0, {{0, FG, 5, 5, 24}, {0, BG, 5, 5, -1}, {0, FG, 6, 6, 24}}, {1193, 0}},
        {"FG into BG", "grass", "brick", BG, 0, 99, {}, {}, "24 brick is an FG tile; it cannot go into BG"},
        {"BG into FG", "brick", "water", FG, 0, 99, {}, {}, "4 water is a BG tile; it cannot go into FG"},
        {"a shadow", "brick", "17", FG, 0, 99, {}, {}, "17 shadow is a shadow pattern, which the game draws itself"},
        {"the border", "brick", "64", FG, 0, 99, {}, {}, "64 border is no tile a brush paints; no layer holds it"},
    };
    // clang-format on
    const std::vector<StageRecord> before = Stages();
    for (const auto& c : cases) {
        TTileReplace replace{{}, {}, c.Layer, c.First, c.Last, c.Only};
        ASSERT_TRUE(ParseTileChoice(c.From, replace.From) && ParseTileChoice(c.To, replace.To)) << c.What;
        std::vector<int> counts;
        const TStageSetResult result = ReplaceTiles(before, replace, &counts);
        ASSERT_EQ(result.Error.substr(0, std::string(c.Error).size()), c.Error) << c.What;
        if (*c.Error)
            continue;
        EXPECT_EQ(counts, c.Counts) << c.What;
        for (const TCellIs& cell : c.Cells) {
            const StageRecord& record = result.Records[static_cast<std::size_t>(cell.Stage)];
            EXPECT_EQ((cell.Layer == BG ? record.BG : record.FG)[cell.X][cell.Y], cell.Code)
                << c.What << ": " << cell.Stage << " " << cell.X << "," << cell.Y;
        }
        // A changed stage is a new record, for the history and the live stage.
        for (std::size_t n = 0; n < before.size(); ++n)
            EXPECT_EQ(result.Source[n], RecordsEqual(before[n], result.Records[n]) ? static_cast<int>(n) : -1);
    }
}
