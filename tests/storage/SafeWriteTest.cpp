// The safe whole-file write: the target is replaced whole or not at all, and
// nothing is left behind.
#include "storage/SafeWrite.h"
#include "support/HostileKit.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

class SafeWriteTest : public TScratchDirTest {
protected:
    SafeWriteTest() : TScratchDirTest("safewrite") {}

    // Names in the folder: a left-over temporary file shows here.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    static mode_t Mode(const fs::path& file) { return Status(file).st_mode & 07777; }
    static struct stat Status(const fs::path& file)
    {
        struct stat status {};
        ::stat(file.c_str(), &status);
        return status;
    }
};

}  // namespace

TEST_F(SafeWriteTest, ReplacesTheWholeFileAndKeepsItsPermissionBits)
{
    const fs::path target = Dir / "out.txt";
    for (const mode_t mode : {0600, 0640, 0604, 0755, 0660}) {
        WriteFile(target, std::string(10000, 'o'));
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        const TWriteResult result = SafeWriteFile(target, "short");
        ASSERT_TRUE(result) << result.Error;
        EXPECT_EQ(ReadFile(target), "short");
        EXPECT_EQ(Mode(target), mode) << std::oct << mode;
    }
    EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});

    // A new file gets the permissions every new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_TRUE(SafeWriteFile(Dir / "new.txt", ""));
    EXPECT_EQ(ReadFile(Dir / "new.txt"), "");
    EXPECT_EQ(Mode(Dir / "new.txt"), 0666 & ~mask);
}

TEST_F(SafeWriteTest, AFullDiskLeavesTheTargetAsItWasAndNoTemporaryFile)
{
    const fs::path existing = Dir / "existing.txt";
    const fs::path missing = Dir / "missing.txt";
    WriteFile(existing, "the designer's map");
    const std::string big(100000, 'x');
    for (const auto& target : {existing, missing}) {
        // The child can write no file beyond 4 KB: the write fails as on a
        // full disk.
        const TChildEnd end = RunChild(
            [&] {
                const TWriteResult result = SafeWriteFile(target, big);
                return !result && result.Error == "File too large" ? 0 : 1;
            },
            4096);
        EXPECT_EQ(end.ExitStatus, 0) << target;
    }
    EXPECT_EQ(ReadFile(existing), "the designer's map");
    EXPECT_EQ(Names(), std::set<std::string>{"existing.txt"});
}

TEST_F(SafeWriteTest, TargetsThatCannotBeReplacedAreRefusedUntouched)
{
    fs::create_directories(Dir / "folder");
    WriteFile(Dir / "folder" / "inside", "kept");
    fs::create_symlink(Dir / "nowhere", Dir / "dangling");
    ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0644), 0);
    const int sock = BindSocket((Dir / "socket").string());
    ASSERT_GE(sock, 0);

    struct Case {
        fs::path Target;
        std::string Error;
    };
    const Case cases[] = {
        {Dir / "folder", "it is a directory"},
        {Dir / "socket", "it is not a regular file"},
        {Dir / "dangling", "it is a link to a missing file"},
        {Dir / "fifo", "no process reads from it"},  // at once, not waiting for a reader
        {Dir / "no-such-folder" / "out.txt", "No such file or directory"},
        {"/dev/full", "No space left on device"},
    };
    const std::set<std::string> before = Names();
    for (const auto& c : cases) {
        const TWriteResult result = SafeWriteFile(c.Target, "data");
        EXPECT_FALSE(result) << c.Target;
        EXPECT_EQ(result.Error, c.Error) << c.Target;
        EXPECT_FALSE(result.AlreadyExists);
    }
    ::close(sock);
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(ReadFile(Dir / "folder" / "inside"), "kept");
    EXPECT_TRUE(fs::is_symlink(Dir / "dangling"));
    EXPECT_TRUE(fs::is_fifo(Dir / "fifo"));
    // A device that takes the bytes is written in place.
    EXPECT_TRUE(SafeWriteFile("/dev/null", "data"));
}

TEST_F(SafeWriteTest, ALinkStaysAndItsFileIsReplaced)
{
    WriteFile(Dir / "real.txt", "old");
    fs::create_symlink("real.txt", Dir / "link.txt");
    ASSERT_TRUE(SafeWriteFile(Dir / "link.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(Dir / "link.txt"));
    EXPECT_EQ(ReadFile(Dir / "real.txt"), "new");
    EXPECT_EQ(Names(), (std::set<std::string>{"link.txt", "real.txt"}));
}

TEST_F(SafeWriteTest, RefusingLeavesAnythingOfThatNameAlone)
{
    WriteFile(Dir / "file", "precious");
    fs::create_directories(Dir / "folder");
    fs::create_symlink(Dir / "nowhere", Dir / "dangling");
    for (const char* name : {"file", "folder", "dangling"}) {
        const TWriteResult result = SafeWriteFile(Dir / name, "new", TExistingTarget::Refuse);
        EXPECT_FALSE(result) << name;
        EXPECT_TRUE(result.AlreadyExists) << name;
    }
    EXPECT_EQ(ReadFile(Dir / "file"), "precious");
    EXPECT_FALSE(fs::exists(Dir / "nowhere"));
    ASSERT_TRUE(SafeWriteFile(Dir / "fresh", "made", TExistingTarget::Refuse));
    EXPECT_EQ(ReadFile(Dir / "fresh"), "made");
    EXPECT_EQ(Names(), (std::set<std::string>{"dangling", "file", "folder", "fresh"}));
}

TEST_F(SafeWriteTest, AWriteProtectedFileOrFolderIsNotReplaced)
{
    // Run as an ordinary user: the superuser may write anything.
    fs::permissions(Dir, fs::perms::all);
    const fs::path locked = Dir / "locked.txt";
    const fs::path shut = Dir / "shut";
    const TChildEnd end = RunChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        WriteFile(locked, "kept");
        fs::create_directories(shut);
        WriteFile(shut / "file.txt", "kept");
        if (::chmod(locked.c_str(), 0444) != 0 || ::chmod(shut.c_str(), 0555) != 0
            || ::chmod((shut / "file.txt").c_str(), 0666) != 0)
            return 11;
        // The folder is the cause, though its file may be writable: it is named.
        const std::string folder = "its folder " + shut.string() + " is read-only: Permission denied";
        int failures = 0;
        failures += SafeWriteFile(locked, "new").Error != "Permission denied";
        failures += SafeWriteFile(shut / "file.txt", "new").Error != folder;
        failures += SafeWriteFile(shut / "other.txt", "new").Error != folder;
        ::chmod(shut.c_str(), 0755);
        return failures;
    });
    EXPECT_EQ(end.ExitStatus, 0);
    EXPECT_EQ(ReadFile(locked), "kept");
    EXPECT_EQ(ReadFile(shut / "file.txt"), "kept");
    EXPECT_EQ(Names(), (std::set<std::string>{"locked.txt", "shut"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(shut), fs::directory_iterator()), 1);
}

// /dev/stdout and its kin name a descriptor the process has open: written
// through it, where it stands, never renamed over what it writes to. (How
// stagetool's outputs reach streams and pipes is HostileConditionsTest's.)
TEST_F(SafeWriteTest, AStreamOfTheProcessIsWrittenThroughItsDescriptor)
{
    WriteFile(Dir / "log.txt", "first line\n");
    WriteFile(Dir / "at.txt", "0123456789");
    const ino_t log = Status(Dir / "log.txt").st_ino;
    const int append = ::open((Dir / "log.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const int positioned = ::open((Dir / "at.txt").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_EQ(::lseek(positioned, 4, SEEK_SET), 4);
    const std::string appendFd = std::to_string(append);
    fs::create_symlink("/dev/fd/" + appendFd, Dir / "link.txt");
    const std::pair<std::string, std::string> cases[] = {
        {(Dir / "link.txt").string(), "via a link\n"},
        {"/proc/" + std::to_string(::getpid()) + "/fd/" + appendFd, "via /proc/PID/fd\n"},
        {"/dev/fd/" + std::to_string(positioned), "AB"},  // where it stands, not at 0
    };
    for (const auto& [target, bytes] : cases) {
        const TWriteResult result = SafeWriteFile(target, bytes);
        EXPECT_TRUE(result) << target << ": " << result.Error;
    }
    EXPECT_FALSE(SafeWriteFile("/dev/fd/987", "nowhere"));  // no such descriptor
    ::close(append);
    ::close(positioned);
    EXPECT_EQ(ReadFile(Dir / "log.txt"), "first line\nvia a link\nvia /proc/PID/fd\n");
    EXPECT_EQ(Status(Dir / "log.txt").st_ino, log);
    EXPECT_EQ(ReadFile(Dir / "at.txt"), "0123AB6789");
    EXPECT_EQ(Names(), (std::set<std::string>{"at.txt", "link.txt", "log.txt"}));
}

// A shared file replaced by another of its writers: owner, group and mode
// stay where the writer may keep them, and a replace that would lock out one
// who may write the file now is refused with nothing changed.
TEST_F(SafeWriteTest, AReplacedFileKeepsWhoMayWriteItOrIsLeftAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files to other users needs the superuser";
    fs::permissions(Dir, fs::perms::all);
    // nobody's own group is nogroup; no user belongs to group 4343.
    constexpr uid_t Nobody = 65534, Writer = 4242;
    constexpr gid_t NoGroup = 65534, Other = 4343, WriterGroup = 4242;
    struct Case {
        uid_t Owner;
        gid_t Group;
        mode_t Mode;
        gid_t Joined;         // the writer's other group, besides its own
        std::string Refusal;  // the start of why it is not replaced; empty: replaced
        uid_t NewOwner;       // of the file after
        gid_t NewGroup;
    };
    // clang-format off
    const Case cases[] = {
        {Nobody, NoGroup, 0664, NoGroup,     "",                                                      Writer, NoGroup},      // shared through the group
        {Nobody, Other,   0664, Other,       "its owner nobody (uid 65534) could no longer write it", Nobody, Other},        // the owner is not in the group
        {Writer, Other,   0664, WriterGroup, "its group gid 4343 could no longer write it",           Writer, Other},        // the writer is not in the group
        {Writer, Other,   0644, WriterGroup, "",                                                      Writer, WriterGroup},  // the group could not write
        {Nobody, Other,   0666, WriterGroup, "",                                                      Writer, WriterGroup},  // anyone may write
    };
    // clang-format on
    const fs::path target = Dir / "shared.dat";
    for (const Case& c : cases) {
        WriteFile(target, "old");
        ASSERT_EQ(::chown(target.c_str(), c.Owner, c.Group), 0);
        ASSERT_EQ(::chmod(target.c_str(), c.Mode), 0);
        const ino_t before = Status(target).st_ino;
        const bool replaced = c.Refusal.empty();
        const TChildEnd end = RunChild([&] {
            const gid_t groups[] = {c.Joined};
            if (::setgroups(1, groups) != 0 || ::setresgid(WriterGroup, WriterGroup, WriterGroup) != 0
                || ::setresuid(Writer, Writer, Writer) != 0)
                return 10;
            const std::string error = SafeWriteFile(target, "new").Error;
            return (replaced ? error.empty() : error.rfind(c.Refusal, 0) == 0) ? 0 : 11;
        });
        ASSERT_EQ(end.ExitStatus, 0) << std::oct << c.Mode << ": not " << (replaced ? "replaced" : c.Refusal);
        const struct stat after = Status(target);
        EXPECT_EQ(ReadFile(target), replaced ? "new" : "old");
        EXPECT_EQ(after.st_ino != before, replaced);
        EXPECT_EQ(after.st_uid, c.NewOwner);
        EXPECT_EQ(after.st_gid, c.NewGroup);
        EXPECT_EQ(after.st_mode & 07777, c.Mode);
        EXPECT_EQ(Names(), std::set<std::string>{"shared.dat"}) << std::oct << c.Mode;
    }

    // The superuser keeps owner and group whatever they are.
    ASSERT_EQ(::chown(target.c_str(), Nobody, Other), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(SafeWriteFile(target, "root's"));
    EXPECT_EQ(Status(target).st_uid, Nobody);
    EXPECT_EQ(Status(target).st_gid, Other);
    EXPECT_EQ(Mode(target), 0640u);
}

TEST_F(SafeWriteTest, TemporaryFilesOfWritersThatAreGoneGoWithTheNextWrite)
{
    const fs::path target = Dir / "out.txt";
    WriteFile(target, "old");
    // A write killed in the middle (the file size limit, its signal left
    // deadly) leaves its temporary file behind.
    const TChildEnd end = RunChild([&] { return SafeWriteFile(target, std::string(100000, 'x')) ? 0 : 1; }, 4096, true);
    EXPECT_EQ(end.Signal, SIGXFSZ);
    EXPECT_EQ(Names().size(), 2u);
    EXPECT_EQ(ReadFile(target), "old");
    // Cut short, it is readable by its writer alone, whatever the target's mode.
    for (const std::string& name : Names())
        if (name != "out.txt") {
            EXPECT_EQ(Mode(Dir / name), 0600u) << name;
        }

    // A stale one by name only, one whose writer still works (its lock held),
    // one of another target and one only named alike.
    WriteFile(Dir / ".out.txt.99999999-7.tmp", "stale");
    WriteFile(Dir / ".out.txt.1-2.tmp", "being written");
    WriteFile(Dir / ".other.txt.99999999-7.tmp", "another target's");
    WriteFile(Dir / ".out.txt.notes.tmp", "no temporary file");
    const int live = ::open((Dir / ".out.txt.1-2.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    ASSERT_TRUE(SafeWriteFile(target, "new"));
    EXPECT_EQ(ReadFile(target), "new");
    const std::set<std::string> kept = {"out.txt", ".out.txt.1-2.tmp", ".other.txt.99999999-7.tmp",
                                        ".out.txt.notes.tmp"};
    EXPECT_EQ(Names(), kept);

    // Once its writer is gone, it goes too.
    ::close(live);
    ASSERT_TRUE(SafeWriteFile(target, "newer"));
    EXPECT_EQ(Names().count(".out.txt.1-2.tmp"), 0u);
}
