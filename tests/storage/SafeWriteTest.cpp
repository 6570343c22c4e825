// The safe whole-file write: the target is replaced whole or not at all, and
// nothing is left behind.
#include "storage/SafeWrite.h"
#include "support/HostileKit.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

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
    static mode_t Mode(const fs::path& file)
    {
        struct stat status {};
        ::stat(file.c_str(), &status);
        return status.st_mode & 07777;
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
        if (::chmod(locked.c_str(), 0444) != 0 || ::chmod(shut.c_str(), 0555) != 0)
            return 11;
        int failures = 0;
        failures += SafeWriteFile(locked, "new").Error != "Permission denied";
        failures += SafeWriteFile(shut / "file.txt", "new").Error != "Permission denied";
        failures += SafeWriteFile(shut / "other.txt", "new").Error != "Permission denied";
        ::chmod(shut.c_str(), 0755);
        return failures;
    });
    EXPECT_EQ(end.ExitStatus, 0);
    EXPECT_EQ(ReadFile(locked), "kept");
    EXPECT_EQ(ReadFile(shut / "file.txt"), "kept");
    EXPECT_EQ(Names(), (std::set<std::string>{"locked.txt", "shut"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(shut), fs::directory_iterator()), 1);
}
