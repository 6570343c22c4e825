// The editor's recovery copy: written while the stage is unsaved, at most
// once a second, gone once it is saved and at a normal close; found by
// another editor only once its own ended; failures told once.
#include "editor/Recovery.h"
#include "storage/StageFile.h"
#include "support/FakeHost.h"
#include "support/ScratchDir.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;
using TTime = TRecovery::TClock::time_point;

StageRecord Numbered(int caption)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign(std::to_string(caption));
    return record;
}

struct RecoveryTest : TScratchDirTest {
    RecoveryTest() : TScratchDirTest("recovery") {}

    std::filesystem::path Folder() const { return Dir / "state"; }
    std::filesystem::path StageFile() const { return Dir / "Stage.Dat"; }
    std::unique_ptr<TRecovery> Make() { return std::make_unique<TRecovery>(Folder(), StageFile()); }

    // The copy on disk; none when there is no such file.
    static std::optional<TRecoveryCopy> Read(const std::filesystem::path& file)
    {
        if (!std::filesystem::exists(file))
            return std::nullopt;
        return DecodeRecoveryCopy(ReadFile(file));
    }
};

TEST_F(RecoveryTest, ACopyIsWrittenAtMostOnceASecondAndGoesWhenSaved)
{
    auto recovery = Make();
    const TTime start{};
    EXPECT_FALSE(std::filesystem::exists(Folder()));  // nothing before the first need
    // Each step: the record kept at a time, and the caption the file holds after.
    const struct {
        int Record;
        std::chrono::milliseconds At;
        int Written;
    } steps[] = {
        {1, 0ms, 1},     // the first at once
        {2, 300ms, 1},   // too soon
        {3, 999ms, 1},   // still too soon
        {3, 1000ms, 3},  // a second after the last
        {3, 5000ms, 3},  // unchanged: not written again
        {4, 5001ms, 4},
    };
    for (const auto& s : steps) {
        recovery->Keep(Numbered(s.Record), 7, 7, nullptr, start + s.At);
        recovery->Finish();
        const std::optional<TRecoveryCopy> copy = Read(recovery->CopyFile());
        ASSERT_TRUE(copy.has_value()) << s.Record;
        EXPECT_EQ(copy->Record.Caption.Str(), std::to_string(s.Written)) << s.At.count();
        EXPECT_EQ(copy->StageNumber, 7);
        EXPECT_EQ(copy->StageFile, RecoveryStageFileName(StageFile()));
        EXPECT_GT(copy->Time, 1600000000);
    }
    recovery->Drop();
    recovery->Finish();
    EXPECT_FALSE(std::filesystem::exists(recovery->CopyFile()));
    // Unsaved again: written again, and a normal close takes everything away.
    recovery->Keep(Numbered(5), 7, 7, nullptr, start + 10s);
    recovery->Close();
    EXPECT_TRUE(std::filesystem::is_empty(Folder()));
}

// Two editors on one stage file keep separate copies and never offer each
// other's while both run; a copy outlives a crash (no Close).
TEST_F(RecoveryTest, AnotherEditorsCopyIsLeftOnlyOnceItEnded)
{
    auto first = Make();
    auto second = Make();
    // Taken from stage 2, where the file then held stage "0".
    const std::optional<StageRecord> base = Numbered(0);
    first->Keep(Numbered(1), 3, 2, &base, TTime{});
    second->Keep(Numbered(2), 4, 4, nullptr, TTime{});
    first->Finish();
    second->Finish();
    EXPECT_NE(first->CopyFile(), second->CopyFile());
    EXPECT_TRUE(first->LeftCopies().empty());
    EXPECT_TRUE(second->LeftCopies().empty());

    const std::filesystem::path crashed = first->CopyFile();
    first.reset();  // ends without closing, as a killed editor does
    std::vector<TLeftCopy> left = second->LeftCopies();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].File, crashed);
    EXPECT_EQ(left[0].Copy.StageNumber, 3);
    EXPECT_EQ(left[0].Copy.Record.Caption.Str(), "1");
    EXPECT_EQ(left[0].Copy.Origin, 2);
    ASSERT_TRUE(left[0].Copy.Base && *left[0].Copy.Base);
    EXPECT_EQ((*left[0].Copy.Base)->Caption.Str(), "0");

    // A third editor on another stage file never sees it, though no one
    // holds it now.
    left.clear();
    EXPECT_TRUE(TRecovery(Folder(), Dir / "other" / "Stage.Dat").LeftCopies().empty());

    // Restored: its own copy is written first, then the left one goes.
    left = second->LeftCopies();
    ASSERT_EQ(left.size(), 1u);
    second->Adopt(left[0], left[0].Copy.Record, 3, TTime{} + 10s);
    EXPECT_FALSE(std::filesystem::exists(crashed));
    const std::optional<TRecoveryCopy> adopted = Read(second->CopyFile());
    ASSERT_TRUE(adopted.has_value());
    EXPECT_EQ(adopted->Record.Caption.Str(), "1");
    EXPECT_EQ(adopted->Origin, 2);  // a Save after the restore asks as the first editor would have
    EXPECT_TRUE(adopted->Base && *adopted->Base && RecordsEqual(**adopted->Base, Numbered(0)));
    EXPECT_TRUE(second->LeftCopies().empty());
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenIsToldOnceAndEditingGoesOn)
{
    WriteFile(Folder(), "a file where the folder should be");
    auto recovery = Make();
    recovery->Keep(Numbered(1), 0, 0, nullptr, TTime{});
    recovery->Finish();
    const std::string failure = recovery->TakeFailure();
    EXPECT_NE(failure.find(Folder().string()), std::string::npos) << failure;
    recovery->Keep(Numbered(2), 0, 0, nullptr, TTime{} + 2s);
    recovery->Finish();
    EXPECT_EQ(recovery->TakeFailure(), "");
    EXPECT_TRUE(recovery->LeftCopies().empty());

    TRecovery nowhere({}, StageFile());
    nowhere.Keep(Numbered(1), 0, 0, nullptr, TTime{});
    EXPECT_NE(nowhere.TakeFailure(), "");
}

// The editor keeps its copy in step with whether the stage is saved, and
// under the number the stage lives at: when a set operation moves it, at
// once, not a second later.
TEST_F(RecoveryTest, TheEditorKeepsTheCopyWhileTheStageIsUnsaved)
{
    TEditorFixture e;
    e.Form.StageFileName = StageFile();
    ASSERT_TRUE(PutStageRecord(StageFile(), 1, Numbered(1)));
    e.Host.SetStageNumControl(1);
    e.Form.LoadStage();
    e.Form.Recovery = Make();
    const auto keep = [&](std::chrono::milliseconds at) {
        e.Form.KeepRecoveryCopy(TTime{} + at);
        e.Form.Recovery->Finish();
        return Read(e.Form.Recovery->CopyFile());
    };
    EXPECT_FALSE(keep(0ms).has_value());  // saved
    e.Form.PushHistory();
    e.SetFG(5, 5, 40);
    std::optional<TRecoveryCopy> copy = keep(1000ms);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->StageNumber, 1);
    EXPECT_TRUE(RecordsEqual(copy->Record, e.Capture()));
    e.Form.Undo();
    EXPECT_FALSE(keep(1500ms).has_value());
    e.Form.Redo();
    ASSERT_TRUE(keep(3000ms).has_value());
    ASSERT_TRUE(e.Form.ChangeStageSet(
        [](const std::vector<StageRecord>& records) { return MoveStages(records, 1, 1, 3); }, false));
    copy = keep(3010ms);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->StageNumber, 3);
    EXPECT_TRUE(RecordsEqual(copy->Record, e.Capture()));
    EXPECT_TRUE(e.Host.Errors.empty());
}

}  // namespace
