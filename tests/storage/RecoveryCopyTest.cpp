// Recovery copies on disk: the format read back exactly or refused whole,
// the state folder, and which copies count as left by an ended editor.
#include "storage/RecoveryCopy.h"
#include "storage/RecoveryFolder.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace {

TRecoveryCopy SampleCopy(std::string file = "/games/tank/Stage.Dat")
{
    TRecoveryCopy copy;
    EmptyStage(copy.Record);
    copy.Record.Caption.Assign(std::string("Desert Fort"));
    copy.Record.FG[39][29] = 61;
    copy.StageFile = std::move(file);
    copy.StageNumber = 3;
    copy.Time = 1700000123;
    return copy;
}

// Sets an environment variable for one scope (none: unset), then puts it back.
class TEnvironment {
public:
    TEnvironment(const char* name, const char* value) : FName(name)
    {
        if (const char* old = std::getenv(name))
            FOld = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~TEnvironment() { FOld ? ::setenv(FName, FOld->c_str(), 1) : ::unsetenv(FName); }
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;

private:
    const char* FName;
    std::optional<std::string> FOld;
};

}  // namespace

TEST(RecoveryCopyFormat, ACopyReadsBackAsWrittenAndAnythingElseIsRefused)
{
    for (const std::string file : {"/games/tank/Stage.Dat", "/odd\nfolder/with \"quotes\"/STAGE.DAT"}) {
        const std::optional<TRecoveryCopy> read = DecodeRecoveryCopy(EncodeRecoveryCopy(SampleCopy(file)));
        ASSERT_TRUE(read.has_value()) << file;
        EXPECT_TRUE(RecordsEqual(read->Record, SampleCopy().Record));
        EXPECT_EQ(read->StageFile, file);
        EXPECT_EQ(read->StageNumber, 3);
        EXPECT_EQ(read->Time, 1700000123);
    }
    const std::string good = EncodeRecoveryCopy(SampleCopy());
    const std::size_t header = good.size() - sizeof(StageRecord);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string bytes = good;
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    const struct {
        const char* Name;
        std::string Bytes;
    } cases[] = {
        {"nothing", ""},
        {"the header alone", good.substr(0, header)},
        {"a record cut short", good.substr(0, good.size() - 1)},
        {"a byte after the record", good + "x"},
        {"another format", replaced("recovery 1", "recovery 2")},
        {"stage 100", replaced("stage 3\n", "stage 100\n")},
        {"stage -1", replaced("stage 3\n", "stage -1\n")},
        {"a stage that is no number", replaced("stage 3\n", "stage 3x\n")},
        {"a relative path", replaced("file 21\n/games", "file 21\ngames/")},
        {"a path longer than it says", replaced("file 21\n", "file 20\n")},
        {"a huge path length", replaced("file 21\n", "file 99999999999999999999\n")},
        {"a NUL in the path", replaced("tank", std::string("ta\0k", 4))},
        {"no time", replaced("time 1700000123\n", "")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeRecoveryCopy(c.Bytes).has_value()) << c.Name;
}

TEST(RecoveryFolderPlace, TheStateFolderFromTheEnvironment)
{
    const struct {
        const char* State;
        const char* Home;
        const char* Folder;
    } cases[] = {
        {"/state", "/home/d", "/state/stage-editor"},
        {nullptr, "/home/d", "/home/d/.local/state/stage-editor"},
        {"relative/state", "/home/d", "/home/d/.local/state/stage-editor"},  // not absolute: ignored
        {"", "/home/d", "/home/d/.local/state/stage-editor"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases) {
        const TEnvironment state("XDG_STATE_HOME", c.State);
        const TEnvironment home("HOME", c.Home);
        EXPECT_EQ(RecoveryFolder("stage-editor").string(), c.Folder) << (c.State ? c.State : "(unset)");
    }
}

struct RecoveryFolderTest : TScratchDirTest {
    RecoveryFolderTest() : TScratchDirTest("recovery-folder") {}

    void WriteCopy(const std::string& id, const TRecoveryCopy& copy)
    {
        WriteFile(RecoveryCopyFile(Dir, id), EncodeRecoveryCopy(copy));
    }
};

// A copy whose lock someone holds belongs to a running editor; one whose
// lock is free, or gone, was left by an editor that ended.
TEST_F(RecoveryFolderTest, OnlyCopiesOfEndedEditorsForThisStageFileAreLeft)
{
    const std::string stageFile = "/games/tank/Stage.Dat";
    std::string error;
    const auto running = TRecoveryLock::Create(RecoveryLockFile(Dir, "running"), error);
    ASSERT_TRUE(running) << error;
    WriteCopy("running", SampleCopy(stageFile));
    {
        const auto ended = TRecoveryLock::Create(RecoveryLockFile(Dir, "ended"), error);
        ASSERT_TRUE(ended);
    }
    TRecoveryCopy older = SampleCopy(stageFile);
    older.Time -= 60;
    WriteCopy("ended", older);
    WriteCopy("nolock", SampleCopy(stageFile));
    WriteCopy("elsewhere", SampleCopy("/games/other/Stage.Dat"));
    WriteFile(Dir / "broken.recovery", "stage-editor recovery 1\nstage 3\n");
    WriteFile(RecoveryLockFile(Dir, "gone"), "");  // an ended editor that left no copy
    const auto starting = TRecoveryLock::Create(RecoveryLockFile(Dir, "starting"), error);  // none yet
    WriteFile(Dir / ".ended.recovery.tmp", EncodeRecoveryCopy(SampleCopy(stageFile)));

    std::vector<TLeftCopy> left = FindLeftCopies(Dir, stageFile);
    EXPECT_FALSE(std::filesystem::exists(RecoveryLockFile(Dir, "gone")));
    EXPECT_TRUE(std::filesystem::exists(RecoveryLockFile(Dir, "starting")));
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].File, RecoveryCopyFile(Dir, "nolock"));  // newest first
    EXPECT_EQ(left[1].File, RecoveryCopyFile(Dir, "ended"));
    // While this process holds them, they are not left for anyone else.
    EXPECT_FALSE(TRecoveryLock::Take(RecoveryLockFile(Dir, "ended")));
    EXPECT_TRUE(FindLeftCopies(Dir, stageFile).empty());
    left.clear();
    EXPECT_EQ(FindLeftCopies(Dir, stageFile).size(), 2u);
    EXPECT_TRUE(FindLeftCopies(Dir / "missing", stageFile).empty());
}
