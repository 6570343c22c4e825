// The stage file: padding, partial records, locks, replaces and every way a
// file can fail. How the editor loads and saves through it is
// tests/editor/MainFileTest.cpp's.
#include "storage/StageFile.h"
#include "support/HostileKit.h"
#include "support/StageFileKit.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace fs = std::filesystem;

namespace {

class StageFileTest : public TStageFileTest {
protected:
    StageFileTest() : TStageFileTest("stagefile") {}
};

// The record write's flush as this test program sees it: the bytes of the
// file at the last flush, and a failure to inject (an errno; 0: none).
std::string FlushedBytes;
int FlushFailure = 0;

}  // namespace

// Takes the place of the C library's fdatasync in this program, then calls it.
extern "C" int fdatasync(int fd)
{
    static const auto flush = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"));
    struct stat status {};
    FlushedBytes.assign(::fstat(fd, &status) == 0 ? static_cast<std::size_t>(status.st_size) : 0, '\0');
    if (::pread(fd, FlushedBytes.data(), FlushedBytes.size(), 0) != static_cast<ssize_t>(FlushedBytes.size()))
        FlushedBytes = "unreadable";
    if (FlushFailure) {
        errno = FlushFailure;
        return -1;
    }
    return flush(fd);
}

// A save reports success only once its records are on the disk (the editor
// then drops its recovery copy); a flush that fails is a save that fails.
TEST_F(StageFileTest, ASaveSucceedsOnlyOnceFlushed)
{
    const StageRecord saved = LetterStages("S")[0];
    for (const int failure : {0, EIO}) {
        WriteBytes(EmptyRecordBytes());
        FlushedBytes.clear();
        FlushFailure = failure;
        const TRecordResult result = WriteStageRecord(File, 2, saved, LetterStages(".")[0]);
        FlushFailure = 0;
        EXPECT_EQ(result.Error, failure ? "Input/output error" : "") << failure;
        EXPECT_EQ(FlushedBytes, EmptyRecordBytes() + EmptyRecordBytes() + RecordBytes(saved)) << failure;
    }
}

// A file that is not a whole number of records is named by the stage it
// ends inside; a record write may refuse it rather than write over the piece.
TEST_F(StageFileTest, AFileThatEndsInsideAStageIsNamedByThatStage)
{
    struct Case {
        const char* Name;
        std::size_t Size;
        std::string Text;  // empty: whole records
        int FirstOver;     // the first stage whose save writes into or past the piece
    };
    const Case cases[] = {
        {"Stage.Dat", 27000, "Stage.Dat ends inside stage 04 (3000 of 6000 bytes).", 4},
        {"STAGE.DAT", 100, "STAGE.DAT ends inside stage 00 (100 of 6000 bytes).", 0},
        {"Stage.Dat", 24000, "", 0},
    };
    const StageRecord record = LetterStages(".")[0];
    for (const Case& c : cases) {
        const fs::path file = Dir / c.Name;
        const std::string bytes(c.Size, 'x');
        WriteFile(file, bytes);
        const std::optional<TStageFilePiece> piece = FindStageFilePiece(file);
        ASSERT_EQ(piece.has_value(), !c.Text.empty()) << c.Size;
        EXPECT_EQ(StageFilePieceOf(ReadStageRecords(file, 100)), piece) << c.Size;
        if (!piece)
            continue;
        EXPECT_EQ(StageFilePieceText(file, *piece), c.Text);
        EXPECT_FALSE(c.FirstOver > 0 && WritesOverPiece(*piece, c.FirstOver - 1));
        EXPECT_TRUE(WritesOverPiece(*piece, c.FirstOver) && WritesOverPiece(*piece, 99));
        const TRecordResult refused = WriteStageRecord(file, 1, record, record, TDamagedFile::Refuse);
        EXPECT_TRUE(!refused && refused.Piece == piece);
        EXPECT_EQ(ReadFile(file), bytes);
        fs::remove(file);
    }
}

// Each failure says why, in the system's words where the system gave one.
TEST_F(StageFileTest, UnopenableAndUnwritableFilesFailSayingWhy)
{
    StageRecord record;
    EmptyStage(record);
    fs::create_directories(Dir / "folder");
    ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0644), 0);
    WriteBytes(EmptyRecordBytes() + "piece");
    struct Case {
        fs::path File;
        int Number;
        const char* Read;  // why a read fails
        const char* Write;
    };
    // clang-format off
    const Case cases[] = {
        {Dir / "missing", 0,  "No such file or directory", "No such file or directory"},
        {Dir / "folder",  0,  "it is a directory",         "Is a directory"},
        {Dir / "fifo",    0,  "it is not a regular file",  "it is not a regular file"},
        {File,            1,  "it holds 1 whole record",   nullptr},
        {File,            -1, "there is no record of that number", "there is no record of that number"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(ReadStageRecord(c.File, c.Number, record).Error, c.Read) << c.File;
        if (c.Write) {
            EXPECT_EQ(WriteStageRecord(c.File, c.Number, record, record).Error, c.Write) << c.File;
        }
    }
    const TStageRecords none = ReadStageRecords(Dir / "missing", 100);
    EXPECT_FALSE(none.Read);
    EXPECT_EQ(none.Error, "No such file or directory");
}

TEST_F(StageFileTest, RecordCountAndCreation)
{
    StageRecord record;
    EmptyStage(record);
    EXPECT_FALSE(StageRecordCount(File).has_value());
    ASSERT_TRUE(CreateStageFile(File, 3, record));
    EXPECT_EQ(StageRecordCount(File), 3);
    EXPECT_FALSE(CreateStageFile(File, 1, record));  // never overwrites
    EXPECT_EQ(ReadBytes().size(), 18000u);
    WriteBytes(std::string(6500, 'z'));
    EXPECT_EQ(StageRecordCount(File), 1);
}

namespace {

// A record whose every cell and setting shows `mark`, so a record made of
// two of them is seen wherever the cut falls.
StageRecord MarkedRecord(int mark)
{
    StageRecord record;
    EmptyStage(record);
    record.Caption.Assign("Mark " + std::to_string(mark));
    record.MaxCount = static_cast<std::uint16_t>(mark);
    for (auto& column : record.BG)
        for (auto& cell : column)
            cell = static_cast<std::int16_t>(mark);
    for (auto& column : record.FG)
        for (auto& cell : column)
            cell = static_cast<std::int16_t>(mark + 1);
    return record;
}

}  // namespace

TEST_F(StageFileTest, FifosSocketsAndDevicesAreNoStageFileAndNeverWaited)
{
    ASSERT_EQ(::mkfifo(File.c_str(), 0644), 0);
    const int sock = BindSocket((Dir / "socket.dat").string());
    ASSERT_GE(sock, 0);
    StageRecord record;
    EmptyStage(record);
    for (const fs::path& file : {File, Dir / "socket.dat", fs::path("/dev/zero"), fs::path("/dev/full")}) {
        EXPECT_FALSE(ReadStageRecord(file, 0, record)) << file;
        EXPECT_FALSE(WriteStageRecord(file, 0, record, record)) << file;
        EXPECT_FALSE(StageRecordCount(file).has_value()) << file;
    }
    EXPECT_TRUE(fs::is_fifo(File));
    ::close(sock);
}

TEST_F(StageFileTest, ADiskFillingUpOrAKillMidSaveLeavesWholeRecordsAndAPieceThatIsNone)
{
    const StageRecord saved = MarkedRecord(7);
    StageRecord empty;
    EmptyStage(empty);
    for (const bool killed : {false, true}) {
        WriteBytes("");
        // No file may grow past two and a half records: the third padding
        // record is cut after 3000 bytes.
        const TChildEnd end =
            RunChild([&] { return WriteStageRecord(File, 5, saved, empty) ? 1 : 0; }, 2 * 6000 + 3000, killed);
        if (killed)
            EXPECT_EQ(end.Signal, SIGXFSZ);
        else
            EXPECT_EQ(end.ExitStatus, 0);  // the save reported its failure
        ASSERT_EQ(ReadBytes().size(), 15000u) << "killed " << killed;
        EXPECT_EQ(StageRecordCount(File), 2);
        EXPECT_EQ(ReadBytes().substr(0, 12000), EmptyRecordBytes() + EmptyRecordBytes());
        StageRecord record;
        EXPECT_FALSE(ReadStageRecord(File, 2, record));

        // The next save overwrites the piece from its start.
        ASSERT_TRUE(WriteStageRecord(File, 5, saved, empty));
        const std::string bytes = ReadBytes();
        ASSERT_EQ(bytes.size(), 36000u);
        for (int n = 0; n < 5; ++n)
            EXPECT_EQ(bytes.substr(6000 * n, 6000), EmptyRecordBytes()) << "record " << n;
        EXPECT_EQ(bytes.substr(30000), RecordBytes(saved));
    }
}

TEST_F(StageFileTest, TwoProcessesSavingAtOnceLoseNoRecord)
{
    const StageRecord three = MarkedRecord(3);
    const StageRecord five = MarkedRecord(5);
    StageRecord empty;
    EmptyStage(empty);
    const std::string expected = EmptyRecordBytes() + EmptyRecordBytes() + EmptyRecordBytes() + RecordBytes(three)
                                 + EmptyRecordBytes() + RecordBytes(five);
    int wrong = 0;
    for (int round = 0; round < 300; ++round) {
        WriteBytes("");
        TStartLine start;
        const pid_t first = StartChild([&] {
            start.Wait();
            return WriteStageRecord(File, 3, three, empty) ? 0 : 1;
        });
        const pid_t second = StartChild([&] {
            start.Wait();
            return WriteStageRecord(File, 5, five, empty) ? 0 : 1;
        });
        start.ReleaseAll();
        EXPECT_EQ(WaitChild(first).ExitStatus, 0);
        EXPECT_EQ(WaitChild(second).ExitStatus, 0);
        wrong += ReadBytes() != expected;
    }
    EXPECT_EQ(wrong, 0) << "rounds in which a record was lost or torn";
}

TEST_F(StageFileTest, ALoadNeverSeesAHalfWrittenRecord)
{
    const StageRecord a = MarkedRecord(10);
    const StageRecord b = MarkedRecord(20);
    WriteBytes(RecordBytes(a) + RecordBytes(a));
    TStartLine start;
    const pid_t writer = StartChild([&] {
        start.Wait();
        for (int i = 0; i < 3000; ++i)
            if (!WriteStageRecord(File, 1, i % 2 ? a : b, a))
                return 1;
        return 0;
    });
    start.ReleaseAll();
    int torn = 0;
    for (int i = 0; i < 3000; ++i) {
        StageRecord record;
        ASSERT_TRUE(ReadStageRecord(File, 1, record));
        torn += !RecordsEqual(record, a) && !RecordsEqual(record, b);
    }
    EXPECT_EQ(WaitChild(writer).ExitStatus, 0);
    EXPECT_EQ(torn, 0);
}

TEST_F(StageFileTest, ReadStageRecordsTakesTheWholeFileAtOnce)
{
    StageRecord marked;
    EmptyStage(marked);
    marked.MaxCount = 77;
    WriteBytes(EmptyRecordBytes() + RecordBytes(marked) + "tail");
    const TStageRecords all = ReadStageRecords(File, 2);
    ASSERT_TRUE(all.Read);
    EXPECT_FALSE(all.TooMany);
    EXPECT_EQ(all.WholeRecords, 2);
    EXPECT_EQ(all.TrailingBytes, 4);
    ASSERT_EQ(all.Records.size(), 2u);
    EXPECT_EQ(all.Records[1].MaxCount, 77);

    const TStageRecords limited = ReadStageRecords(File, 1);
    EXPECT_TRUE(limited.Read);
    EXPECT_TRUE(limited.TooMany);
    EXPECT_EQ(limited.WholeRecords, 2);
    EXPECT_TRUE(limited.Records.empty());

    // The first records only: the rest of the file is no error.
    const TStageRecords first = ReadFirstStageRecords(File, 1);
    EXPECT_TRUE(first.Read);
    EXPECT_FALSE(first.TooMany);
    EXPECT_EQ(first.WholeRecords, 2);
    ASSERT_EQ(first.Records.size(), 1u);
    EXPECT_NE(first.Records[0].MaxCount, 77);  // record 0, not the marked one
    EXPECT_EQ(ReadFirstStageRecords(File, 100).Records.size(), 2u);

    WriteBytes("");
    const TStageRecords none = ReadStageRecords(File, 100);
    EXPECT_TRUE(none.Read);
    EXPECT_EQ(none.WholeRecords, 0);
    for (const fs::path& bad : {Dir / "missing.dat", Dir}) {
        EXPECT_FALSE(ReadStageRecords(bad, 100).Read) << bad;
    }
}

// A save that opened the file before a replace put a new one in its place
// waits for the lock, then writes into the new file rather than the old one
// that no name leads to any more (and reports success for a lost stage).
// ReplaceStageFile holds the lock until its new file is in place.
TEST_F(StageFileTest, ASaveThatWaitedForTheLockWritesIntoTheFileThatReplacedIt)
{
    const std::string old = RecordBytes(MarkedRecord(1));
    const std::string replaced = RecordBytes(MarkedRecord(2));
    const StageRecord saved = MarkedRecord(3);
    for (const bool byReplaceStageFile : {false, true}) {
        WriteBytes(old + old + "tail");
        // Started before the file is locked, the save holds no copy of the lock.
        TStartLine start;
        const pid_t saver = StartChild([&] {
            start.Wait();
            return WriteStageRecord(File, 1, saved, LetterStages(".")[0]) ? 0 : 1;
        });
        // Locked: no one may even read it now, and a save that starts waits.
        const auto newFile = [&] {
            const int other = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
            EXPECT_NE(::flock(other, LOCK_SH | LOCK_NB), 0);
            ::close(other);
            start.ReleaseAll();
            EXPECT_TRUE(WaitUntilOpen(saver, File));
            return replaced + replaced + replaced;
        };
        if (byReplaceStageFile) {
            const TWriteResult result = ReplaceStageFile(File, 100, [&](const TStageRecords& current) {
                EXPECT_EQ(current.TrailingBytes, 4);
                EXPECT_EQ(current.Records.size(), 2u);
                return TStageFileContent{newFile(), {}};
            });
            EXPECT_TRUE(result) << result.Error;
        } else {
            // As a replace by another program: renamed into place under the lock.
            const int held = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(::flock(held, LOCK_EX), 0);
            WriteFile(Dir / "new.dat", newFile());
            ASSERT_EQ(::rename((Dir / "new.dat").c_str(), File.c_str()), 0);
            ::close(held);
        }
        EXPECT_EQ(WaitChild(saver).ExitStatus, 0);
        EXPECT_EQ(ReadBytes(), replaced + RecordBytes(saved) + replaced) << byReplaceStageFile;
    }
}

TEST_F(StageFileTest, AReplaceIsAllOrNothing)
{
    const std::string old = RecordBytes(MarkedRecord(1));
    const std::string replaced = RecordBytes(MarkedRecord(2));
    fs::create_directories(Dir / "folder");
    fs::create_symlink("nowhere.dat", Dir / "dangling.dat");
    struct Case {
        fs::path File;
        std::string BuildError;
        std::string Error;  // empty: replaced
        // Meanwhile a program that takes no lock (cp, a checkout) puts its
        // own file in place: it stays.
        bool ReplacedWithoutLock = false;
    };
    const Case cases[] = {
        {File, "", ""},
        {File, "refused by its builder", "refused by its builder"},
        {Dir / "new.dat", "", ""},  // made, as the builder is told
        {Dir / "folder", "", "it is a directory"},
        {Dir / "dangling.dat", "", "it is a link to a missing file"},
        {File, "", "another program replaced it meanwhile", true},
    };
    for (const Case& c : cases) {
        WriteBytes(old);
        fs::remove(Dir / "new.dat");
        const bool existed = fs::exists(c.File);
        bool built = false;
        const TWriteResult result = ReplaceStageFile(c.File, 100, [&](const TStageRecords& current) {
            built = true;
            EXPECT_EQ(current.Read, existed) << c.File;
            if (c.ReplacedWithoutLock) {
                WriteFile(Dir / "theirs.dat", "theirs");
                fs::rename(Dir / "theirs.dat", File);
            }
            return TStageFileContent{replaced, c.BuildError};
        });
        EXPECT_EQ(result.Error, c.Error) << c.File;
        if (c.Error.empty()) {
            EXPECT_EQ(ReadFile(c.File), replaced) << c.File;
        } else {
            EXPECT_EQ(built, !c.BuildError.empty() || c.ReplacedWithoutLock) << c.File;
        }
        if (c.ReplacedWithoutLock) {
            EXPECT_EQ(ReadBytes(), "theirs");
            continue;
        }
        if (c.File != File) {
            EXPECT_EQ(ReadBytes(), old) << c.File;
        }
    }
    // Stage.Dat, the folder and the link: no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 3);
}
