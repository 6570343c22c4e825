// Putting the stages in order: each operation's records on a small list, the
// steps that undo and redo them, and the transaction on a real file under a
// disk that fills up, a kill and another program's save.
#include "storage/StageFile.h"
#include "storage/StageSetFile.h"
#include "support/HostileKit.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <csignal>

namespace fs = std::filesystem;

namespace {

std::string Names(const std::vector<StageRecord>& records)
{
    return StageLetters(RecordBytes(records));
}

}  // namespace

TEST(StageSetEdits, EachOperationsRecordsAndWhereTheyCameFrom)
{
    using Records_ = const std::vector<StageRecord>&;
    const std::string full(99, 'A');
    // clang-format off
    const struct {
        const char* What;
        std::string Before;
        std::function<TStageSetResult(Records_)> Edit;
        std::string After;        // or the start of the error
        std::vector<int> Source;  // empty: not checked
    } cases[] = {
        {"move down",     "ABCDE", [](Records_ r) { return MoveStages(r, 1, 1, 3); }, "ACDBE", {0, 2, 3, 1, 4}},
        {"move up",       "ABCDE", [](Records_ r) { return MoveStages(r, 3, 1, 1); }, "ADBCE", {0, 3, 1, 2, 4}},
        {"move a block",  "ABCDE", [](Records_ r) { return MoveStages(r, 1, 2, 3); }, "ADEBC", {0, 3, 4, 1, 2}},
        {"move past end", "ABC",   [](Records_ r) { return MoveStages(r, 0, 1, 5); }, "BC...A", {1, 2, -1, -1, -1, 0}},
        {"copy",          "ABC",   [](Records_ r) { return CopyStages(r, {0}, 1); }, "AAC", {0, -1, 2}},
        {"copy in order", "ABC",   [](Records_ r) { return CopyStages(r, {2, 0}, 3); }, "ABCCA", {0, 1, 2, -1, -1}},
        {"copy over own", "ABC",   [](Records_ r) { return CopyStages(r, {1, 0}, 0); }, "BAC", {-1, -1, 2}},
        {"swap",          "ABC",   [](Records_ r) { return SwapStages(r, 0, 2); }, "CBA", {2, 1, 0}},
        {"insert",        "ABC",   [](Records_ r) { return InsertStage(r, 1); }, "A.BC", {0, -1, 1, 2}},
        {"insert past",   "AB",    [](Records_ r) { return InsertStage(r, 3); }, "AB..", {0, 1, -1, -1}},
        {"insert full",   full + ".", [](Records_ r) { return InsertStage(r, 0); }, "." + full, {}},
        {"delete",        "ABCD",  [](Records_ r) { return DeleteStages(r, {1}); }, "ACD.", {0, 2, 3, -1}},
        {"delete some",   "ABCD",  [](Records_ r) { return DeleteStages(r, {2, 0, 2}); }, "BD..", {1, 3, -1, -1}},
        {"clear",         "ABC",   [](Records_ r) { return ClearStages(r, {1, 3}); }, "A.C.", {0, -1, 2, -1}},
        {"put",           "AB",    [](Records_ r) { return PutStages(r, 3, LetterStages("XY")); }, "AB.XY", {0, 1, -1, -1, -1}},
        // Refused, with why.
        {"insert full",   full + "B", [](Records_ r) { return InsertStage(r, 0); }, "the file already holds 100 stages and the last, 99, is not empty", {}},
        {"block past",    "AB",    [](Records_ r) { return MoveStages(r, 0, 2, 99); }, "stages 99..100 would run past 99", {}},
        {"no stage",      "AB",    [](Records_ r) { return SwapStages(r, -1, 0); }, "there is no stage -1", {}},
        {"past 99",       "AB",    [](Records_ r) { return ClearStages(r, {100}); }, "stage 100 is past 99", {}},
        {"copy past",     "AB",    [](Records_ r) { return CopyStages(r, {0, 1}, 99); }, "stages 99..100 would run past 99", {}},
        {"nothing",       "AB",    [](Records_ r) { return DeleteStages(r, {}); }, "no stage is named", {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const TStageSetResult result = c.Edit(LetterStages(c.Before));
        EXPECT_EQ(result.Error.empty() ? Names(result.Records) : result.Error, c.After) << c.What;
        if (!c.Source.empty()) {
            EXPECT_EQ(result.Source, c.Source) << c.What;
        }
    }
}

// Undo is the inverse step replayed, redo the step replayed; both refuse
// once a number they change holds something else.
TEST(StageSetStep, UndoAndRedoPutBackExactlyWhatChanged)
{
    const std::vector<StageRecord> before = LetterStages("ABCDE");
    const std::vector<StageRecord> after = MoveStages(before, 0, 1, 3).Records;
    const TStageSetStep step = MakeStageSetStep(before, MoveStages(before, 0, 1, 3));
    EXPECT_EQ(step.Changes.size(), 4u);  // E stays
    EXPECT_EQ(step.Destination(0), 3);
    EXPECT_EQ(step.Destination(4), 4);

    const TStageSetStep inverse = InverseStageSetStep(step);
    EXPECT_EQ(inverse.Destination(3), 0);
    EXPECT_EQ(Names(ReplayStageSetStep(inverse)(after).Records), "ABCDE");
    EXPECT_EQ(Names(ReplayStageSetStep(step)(before).Records), "BCDAE");

    std::vector<StageRecord> saved = after;
    saved[4] = LetterStages("Z")[0];  // one it did not change
    saved.push_back(LetterStages("F")[0]);
    EXPECT_EQ(Names(ReplayStageSetStep(inverse)(saved).Records), "ABCDZF");

    // An insert grew the list: undone only while it holds as many records.
    const TStageSetStep grown = MakeStageSetStep(LetterStages("AB"), InsertStage(LetterStages("AB"), 0));
    EXPECT_EQ(grown.Destination(1), 2);
    EXPECT_EQ(Names(ReplayStageSetStep(InverseStageSetStep(grown))(LetterStages(".AB")).Records), "AB");
    EXPECT_EQ(ReplayStageSetStep(InverseStageSetStep(grown))(LetterStages(".ABC")).Error,
              "the file holds 4 records now, not 3 (another program or a Save changed it)");

    // Copying a stage onto its equal, or clearing an empty one, changes nothing.
    EXPECT_TRUE(MakeStageSetStep(LetterStages("AA"), CopyStages(LetterStages("AA"), {0}, 1)).Empty());
    const TStageSetStep cleared = MakeStageSetStep(LetterStages("A."), ClearStages(LetterStages("A."), {1}));
    EXPECT_TRUE(cleared.Empty());
    EXPECT_EQ(cleared.Destination(1), 1);
}

class StageSetFileTest : public TStageFileTest {
protected:
    StageSetFileTest() : TStageFileTest("stageset") {}
};

// An operation replaces the file whole, keeping its mode; its undo puts it
// back, unless another program changed those records since.
TEST_F(StageSetFileTest, AnOperationReplacesTheFileAndItsUndoPutsItBack)
{
    WriteBytes(RecordBytes(LetterStages("ABCD")) + "piece");
    ::chmod(File.c_str(), 0640);
    const TStageSetOutcome moved =
        ChangeStageSet(File, [](const std::vector<StageRecord>& r) { return MoveStages(r, 0, 1, 2); });
    ASSERT_TRUE(moved) << moved.Error;
    EXPECT_EQ(ReadBytes(), RecordBytes(LetterStages("BCAD")));  // the piece that was no record is gone
    EXPECT_EQ(moved.TrailingBytes, 5);
    struct stat status {};
    ::stat(File.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    ASSERT_TRUE(ChangeStageSet(File, ReplayStageSetStep(InverseStageSetStep(moved.Step))));
    EXPECT_EQ(ReadBytes(), RecordBytes(LetterStages("ABCD")));

    // An operation that changes nothing writes nothing.
    ::stat(File.c_str(), &status);
    const TStageSetOutcome same =
        ChangeStageSet(File, [](const std::vector<StageRecord>& r) { return SwapStages(r, 1, 1); });
    EXPECT_TRUE(same && same.Step.Empty());
    struct stat again {};
    ::stat(File.c_str(), &again);
    EXPECT_EQ(again.st_ino, status.st_ino);

    const TStageSetOutcome cleared =
        ChangeStageSet(File, [](const std::vector<StageRecord>& r) { return ClearStages(r, {1}); });
    ASSERT_TRUE(cleared);
    ASSERT_TRUE(PutStageRecord(File, 1, LetterStages("S")[0]));  // a save into the cleared stage
    const TStageSetOutcome undone = ChangeStageSet(File, ReplayStageSetStep(InverseStageSetStep(cleared.Step)));
    EXPECT_EQ(undone.Error, "stage 01 has changed since (another program or a Save wrote it)");
    EXPECT_EQ(ReadBytes(), RecordBytes(LetterStages("ASCD")));

    // No file: made only when the operation may make one.
    const fs::path none = Dir / "none.dat";
    const TStageSetEdit put = [](const std::vector<StageRecord>& r) { return PutStages(r, 1, LetterStages("X")); };
    EXPECT_EQ(ChangeStageSet(none, put).Error, "there is no stage file");
    EXPECT_EQ(PreviewStageSet(none, put).Error, "there is no stage file");
    EXPECT_FALSE(fs::exists(none));
    ASSERT_TRUE(ChangeStageSet(none, put, true));
    EXPECT_EQ(ReadFile(none), RecordBytes(LetterStages(".X")));
}

// The new file is written whole before it takes the old one's place: a
// disk that fills up or a kill in the middle leaves the old file.
TEST_F(StageSetFileTest, AFullDiskOrAKillHalfwayLeavesTheFileAsItWas)
{
    const std::string before = RecordBytes(LetterStages("B" + std::string(99, 'A')));
    for (const bool killed : {false, true}) {
        WriteBytes(before);
        const TChildEnd end = RunChild(
            [&] {
                const TStageSetOutcome outcome =
                    ChangeStageSet(File, [](const std::vector<StageRecord>& r) { return SwapStages(r, 0, 99); });
                return outcome ? 0 : 1;
            },
            before.size() / 2, killed);
        if (killed) {
            EXPECT_EQ(end.Signal, SIGXFSZ);
        } else {
            EXPECT_EQ(end.ExitStatus, 1);  // it said so
        }
        EXPECT_EQ(ReadBytes(), before) << "killed " << killed;
    }
}
