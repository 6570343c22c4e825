// Stage sets under version control: how two lists of stages pair, and the
// three-way merge of lists and of records, on lettered stages whose marks
// name their edits.
#include "storage/StageMerge.h"
#include "storage/StagePairing.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <tuple>

namespace {

// Stages written as words: a letter (the caption), then its edits: a digit k
// paints cell k,0 with grass, x and y put water or trees at 0,0, m and n
// set MaxCount to 9 or 7, r and s put 1 or 2 in a reserved byte. "." is the
// empty stage.
constexpr char Marks[] = "123456789xymnrs";

void Mark(StageRecord& record, char mark)
{
    if (mark >= '1' && mark <= '9')
        record.BG[mark - '0'][0] = 0;
    else if (mark == 'x' || mark == 'y')
        record.BG[0][0] = static_cast<std::int16_t>(mark == 'x' ? 4 : 8);
    else if (mark == 'm' || mark == 'n')
        record.MaxCount = mark == 'm' ? 9 : 7;
    else
        record.Reserved3[5] = static_cast<std::uint8_t>(mark == 'r' ? 1 : 2);
}

std::vector<StageRecord> Stages(const std::string& words)
{
    std::vector<StageRecord> records;
    std::istringstream in(words);
    for (std::string word; in >> word;) {
        records.push_back(LetterStages(word.substr(0, 1))[0]);
        for (const char mark : word.substr(1))
            Mark(records.back(), mark);
    }
    return records;
}

std::string Words(const std::vector<StageRecord>& records)
{
    std::string words;
    for (const StageRecord& record : records) {
        std::string word = IsEmptyRecord(record) ? "." : std::string(1, record.Caption.Chars[0]);
        for (const char* mark = Marks; *mark; ++mark) {
            StageRecord marked = LetterStages(word.substr(0, 1))[0];
            Mark(marked, *mark);
            const auto at = [](const StageRecord& r, char m) {
                return m >= '1' && m <= '9'   ? r.BG[m - '0'][0]
                       : m == 'x' || m == 'y' ? r.BG[0][0]
                       : m == 'm' || m == 'n' ? r.MaxCount
                                              : r.Reserved3[5];
            };
            if (word != "." && at(record, *mark) == at(marked, *mark))
                word += *mark;
        }
        words += (words.empty() ? "" : " ") + word;
    }
    return words;
}

std::string ConflictList(const std::vector<TMergeConflict>& conflicts)
{
    std::string list;
    for (const TMergeConflict& c : conflicts) {
        const std::string stage = c.Stage < 0 ? "-" : std::to_string(c.Stage);
        list += list.empty() ? "" : "; ";
        switch (c.Kind) {
        case TMergeConflict::TKind::Cell:
            list += "cell " + stage + " " + std::to_string(c.Column) + "," + std::to_string(c.Row);
            break;
        case TMergeConflict::TKind::Field: list += "field " + stage + " " + c.Field->Name; break;
        case TMergeConflict::TKind::Stage: list += "stage " + stage + " was " + std::to_string(c.Base); break;
        case TMergeConflict::TKind::Order: list += "order " + stage; break;
        }
    }
    return list;
}

}  // namespace

TEST(StagePairing, IdenticalStagesPairNearestFirstAndTheRestByNumber)
{
    // clang-format off
    const struct {
        const char* What;
        std::string A, B;
        std::vector<int> BOfA;
        std::string Changes;  // as StageChanges lists them
    } cases[] = {
        {"unchanged",        "A B",       "A B",       {0, 1},           ""},
        {"duplicates",       "A A B",     "B A A",     {2, 1, 0},        "moved 0<2 moved 2<0"},
        {"many empty",       "A . . . B", ". . A . B", {2, 1, -1, 3, 4}, "moved 2<0"},
        {"a copy",           "A B",       "A A",       {0, 1},           "changed 1<1 copy of 0"},
        {"cleared, filled",  "A B .",     "A . C",     {0, -1, -1},      "added 2 removed 1"},
        {"inserted before",  "A B .",     "X A B",     {1, 2, -1},       "added 0 moved 1<0 moved 2<1"},
        {"moved and edited", "A B C",     "B1 C .",    {0, -1, 1},       "changed 0<0 moved 1<2 removed 1"},
        {"file grows",       "A",         "A . .",     {0},              ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto a = Stages(c.A), b = Stages(c.B);
        const TStagePairing pairing = PairStages(a, b);
        EXPECT_EQ(pairing.BOfA, c.BOfA) << c.What;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const int i = pairing.AOfB[j];
            EXPECT_TRUE(i < 0 || pairing.BOfA[static_cast<std::size_t>(i)] == static_cast<int>(j)) << c.What;
        }
        std::string changes;
        for (const TStageChange& change : StageChanges(a, b, pairing)) {
            const char* kinds[] = {"moved", "changed", "added", "removed"};
            changes += (changes.empty() ? "" : " ") + std::string(kinds[static_cast<int>(change.Kind)]) + " "
                       + std::to_string(change.Kind == TStageChangeKind::Removed ? change.A : change.B);
            if (change.A >= 0 && change.B >= 0)
                changes += "<" + std::to_string(change.A);
            if (change.B >= 0 && pairing.CopyOf[static_cast<std::size_t>(change.B)] >= 0)
                changes += " copy of " + std::to_string(pairing.CopyOf[static_cast<std::size_t>(change.B)]);
        }
        EXPECT_EQ(changes, c.Changes) << c.What;
    }
}

TEST(StageMerge, ThreeWayCasesGiveTheirResultAndConflicts)
{
    // clang-format off
    const struct {
        const char* What;
        std::string Base, Ours, Theirs;
        TMergeSide Prefer;
        std::string Result, Conflicts;
    } cases[] = {
        {"disjoint cells",         "A B",     "A1 B",    "A2 B3",   TMergeSide::Ours,   "A12 B3", ""},
        {"the same change",        "A",       "A1x",     "A1x",     TMergeSide::Ours,   "A1x", ""},
        {"one cell two ways",      "A",       "A1x",     "A2y",     TMergeSide::Ours,   "A12x", "cell 0 0,0"},
        {"prefer theirs",          "A",       "A1x",     "A2y",     TMergeSide::Theirs, "A12y", "cell 0 0,0"},
        {"moves meet edits",       "A B C D", "C A B D", "A B1 C2 D", TMergeSide::Ours, "C2 A B1 D", ""},
        {"insert and delete",      "A B C D E", "A X B C D E", "A B C E .", TMergeSide::Ours, "A X B C E .", ""},
        {"delete meets insert",    "A B C",   "B C .",   "X A B C", TMergeSide::Ours,   "B C . .", "order 0"},
        {"both reorder apart",     "A B C D E", "B A C D E", "A B C E D", TMergeSide::Ours, "B A C E D", ""},
        {"both reorder side by side", "A B C D", "B A C D", "A B D C", TMergeSide::Ours, "B A C D", "order 2"},
        {"both reorder alike",     "A B C",   "C A B",   "C A B",   TMergeSide::Ours,   "C A B", ""},
        {"both reorder one",       "A B C D", "B C A D", "B C D A", TMergeSide::Ours,   "B C A D", "stage 2 was 0"},
        {"both add there",         "A",       "A X",     "A Y",     TMergeSide::Ours,   "A X", "order 1"},
        {"both add the same",      "A",       "A X",     "A X",     TMergeSide::Ours,   "A X", ""},
        {"edited, deleted",        "A B",     "A1 B",    "B .",     TMergeSide::Ours,   "A1 B", "stage 0 was 0"},
        {"deleted, edited",        "A B",     "B .",     "A1 B",    TMergeSide::Ours,   "B .", "stage - was 0"},
        {"deleted, edited, theirs","A B",     "B .",     "A1 B",    TMergeSide::Theirs, "A1 B", "stage 0 was 0"},
        {"edited, cleared",        "A B",     "A1 B",    ". B",     TMergeSide::Ours,   "A1 B", "stage 0 was 0"},
        {"moved, deleted",         "A B C",   "B C A",   "B C .",   TMergeSide::Ours,   "B C A", "stage 2 was 0"},
        {"settings",               "A B",     "Am Br",   "An B1",   TMergeSide::Ours,   "Am B1r", "field 0 MaxCount"},
        {"reserved blocks",        "A",       "Ar",      "As",      TMergeSide::Theirs, "As", "field 0 Reserved3"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const TStageMerge merge = MergeStageSets(Stages(c.Base), Stages(c.Ours), Stages(c.Theirs), c.Prefer, 1000);
        EXPECT_EQ(Words(merge.Records), c.Result) << c.What;
        EXPECT_EQ(ConflictList(merge.Conflicts), c.Conflicts) << c.What;
    }
    EXPECT_FALSE(MergeStageSets(Stages("A"), Stages("A X Y"), Stages("A"), TMergeSide::Ours, 2).Error.empty());
}

// Random stages, random edits of cells on each side: where the two sides
// touch different cells, the merge is both edit sets on the base, byte for
// byte, wherever one side moved a stage; every cell both changed
// differently is a conflict.
TEST(StageMerge, DisjointEditsAreBothAppliedAndEveryOverlapIsReported)
{
    std::mt19937 random(25);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int round = 0; round < 40; ++round) {
        std::vector<StageRecord> base = Stages("A B C D E F");
        for (StageRecord& record : base)
            for (int k = 0; k < 50; ++k)
                record.FG[pick(FieldColumns)][pick(FieldRows)] = static_cast<std::int16_t>(8 + pick(56));
        std::vector<StageRecord> ours = base, theirs = base, both = base;
        std::set<std::tuple<int, int, int>> touched, overlaps;
        for (int k = 0; k < 60; ++k) {
            const int stage = pick(6), x = pick(FieldColumns), y = pick(FieldRows);
            const bool theirsSide = k % 2 == 1;
            const bool overlap = k % 10 == 9 && touched.count({stage, x, y}) == 0;
            if (!overlap && !touched.insert({stage, x, y}).second)
                continue;
            const auto code = static_cast<std::int16_t>(pick(8));
            (theirsSide ? theirs : ours)[static_cast<std::size_t>(stage)].BG[x][y] = code;
            both[static_cast<std::size_t>(stage)].BG[x][y] = code;
            if (overlap) {
                touched.insert({stage, x, y});
                overlaps.insert({stage, x, y});
                ours[static_cast<std::size_t>(stage)].BG[x][y] = static_cast<std::int16_t>(code + 8);
            }
        }
        // Ours also moves a stage it left alone; theirs' edits follow it.
        const int from = 5, to = pick(5);
        const bool move = RecordsEqual(ours[from], base[from]);
        for (auto* records : {&ours, &both})
            if (move)
                std::rotate(records->begin() + to, records->begin() + from, records->begin() + from + 1);
        const TStageMerge merge = MergeStageSets(base, ours, theirs, TMergeSide::Theirs, 1000);
        std::set<std::tuple<int, int, int>> reported;
        for (const TMergeConflict& c : merge.Conflicts) {
            ASSERT_EQ(c.Kind, TMergeConflict::TKind::Cell) << round;
            reported.insert({c.Base, c.Column, c.Row});
        }
        EXPECT_EQ(reported, overlaps) << round;
        EXPECT_EQ(RecordBytes(merge.Records), RecordBytes(both)) << round;
    }
}
