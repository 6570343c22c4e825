// Recovery copies on disk: the format read back exactly or refused whole,
// the state folder, and which copies count as left by an ended editor.
#include "storage/RecoveryCopy.h"
#include "storage/RecoveryFolder.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
        {"another format", replaced("recovery 2", "recovery 3")},
        {"an origin of 100", replaced("origin -1\n", "origin 100\n")},
        {"no base line", replaced("base unknown\n", "")},
        {"a base record that is not there", replaced("base unknown", "base record")},
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

    // The origin and the base come back in each of their states: a record,
    // no record there, not known.
    StageRecord before = SampleCopy().Record;
    before.Caption.Assign(std::string("Before"));
    for (const std::optional<std::optional<StageRecord>>& base :
         {std::optional<std::optional<StageRecord>>(before), std::optional<std::optional<StageRecord>>(std::nullopt),
          std::optional<std::optional<StageRecord>>()}) {
        TRecoveryCopy copy = SampleCopy();
        copy.Origin = 2;
        copy.Base = base;
        const std::optional<TRecoveryCopy> read = DecodeRecoveryCopy(EncodeRecoveryCopy(copy));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->Origin, 2);
        EXPECT_TRUE(RecordsEqual(read->Record, copy.Record));
        ASSERT_EQ(read->Base.has_value(), base.has_value());
        if (base) {
            ASSERT_EQ(read->Base->has_value(), base->has_value());
            EXPECT_EQ(*read->Base ? (*read->Base)->Caption.Str() : "", *base ? "Before" : "");
        }
    }
    // A copy an editor wrote before origins and bases were kept still
    // reads: neither is known.
    const std::optional<TRecoveryCopy> first = DecodeRecoveryCopy(
        "stage-editor recovery 1\nstage 3\ntime 1700000123\nfile 21\n/games/tank/Stage.Dat\n" + good.substr(header));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->StageNumber, 3);
    EXPECT_EQ(first->Origin, -1);
    EXPECT_FALSE(first->Base.has_value());
    EXPECT_TRUE(RecordsEqual(first->Record, SampleCopy().Record));
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
    // What hostile hands or killed editors leave: FIFOs where a lock or a
    // copy should be (opened without waiting, passed over), the temporary
    // files of a copy and of a lock whose writers are gone.
    ASSERT_EQ(::mkfifo(RecoveryLockFile(Dir, "fifo").c_str(), 0600), 0);
    WriteCopy("fifolock", SampleCopy(stageFile));
    ASSERT_EQ(::mkfifo(RecoveryLockFile(Dir, "fifolock").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(RecoveryCopyFile(Dir, "pipe").c_str(), 0600), 0);
    for (const char* stale : {".killed.recovery.99999999-1.tmp", ".killed.lock.99999999-2.tmp"})
        WriteFile(Dir / stale, "half");

    std::vector<TLeftCopy> left = FindLeftCopies(Dir, stageFile);
    EXPECT_FALSE(std::filesystem::exists(RecoveryLockFile(Dir, "gone")));
    EXPECT_TRUE(std::filesystem::exists(RecoveryLockFile(Dir, "starting")));
    for (const char* name : {"fifo.lock", "fifolock.lock", "pipe.recovery"})
        EXPECT_TRUE(std::filesystem::is_fifo(Dir / name)) << name;
    // Only a copy for this stage file gets a lock file.
    for (const char* id : {"broken", "elsewhere", "pipe"})
        EXPECT_FALSE(std::filesystem::exists(RecoveryLockFile(Dir, id))) << id;
    for (const char* stale : {".killed.recovery.99999999-1.tmp", ".killed.lock.99999999-2.tmp"})
        EXPECT_FALSE(std::filesystem::exists(Dir / stale)) << stale;
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
