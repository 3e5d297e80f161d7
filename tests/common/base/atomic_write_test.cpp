#include "common/base/atomic_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

TEST(AtomicFile, ReplacesTheTargetOnlyOnCommit) {
    TempFolder folder;
    const auto target = folder.path() / "UserSet.ini";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.is_open());
        ASSERT_TRUE(file.Write("new contents"));
        EXPECT_EQ(FileContents(target), "old");  // nothing visible before the commit
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_EQ(FileContents(target), "new contents");
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"UserSet.ini"});
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    const auto program = folder.path() / "TessalPlayer";
    ASSERT_TRUE(WriteFileAtomically(program, "old build"));
    std::filesystem::permissions(program, std::filesystem::perms(0750));
    ASSERT_TRUE(WriteFileAtomically(program, "new build"));
    EXPECT_EQ(std::filesystem::status(program).permissions(), std::filesystem::perms(0750));
    EXPECT_EQ(FileContents(program), "new build");
}

TEST(AtomicFile, AnUncommittedFileLeavesTargetAndFolderAsTheyWere) {
    TempFolder folder;
    const auto target = folder.path() / "LoadList.ini";
    ASSERT_TRUE(WriteFileAtomically(target, "kept"));
    {
        AtomicFile file(target);
        file.Write("half");
    }
    EXPECT_EQ(FileContents(target), "kept");
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"LoadList.ini"});
}

TEST(AtomicFile, AMissingFolderIsAFailureNotACrash) {
    TempFolder folder;
    AtomicFile file(folder.path() / "no-such-folder" / "x.ini");
    EXPECT_FALSE(file.is_open());
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
}

TEST(AtomicFile, AFullDiskKeepsTheOldFile) {
    // /dev/full accepts the open and fails every write with ENOSPC, like a full disk.
    TempFolder folder;
    const auto target = folder.path() / "Version.ini";
    ASSERT_TRUE(WriteFileAtomically(target, "[GlobalVersion]\n"));
    AtomicFile file(target);
    ASSERT_TRUE(file.is_open());
    ASSERT_EQ(::dup2(::open("/dev/full", O_WRONLY | O_CLOEXEC), file.fd()), file.fd());
    EXPECT_FALSE(file.Write("GlobalVersion=9\n"));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(FileContents(target), "[GlobalVersion]\n");
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"Version.ini"});
}

}  // namespace
}  // namespace tessal
