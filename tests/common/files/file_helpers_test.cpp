#include "common/files/file_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

namespace fs = std::filesystem;

std::size_t EntryCount(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileSize, GivesSizeOrZeroWhenNotARegularFile) {
    TempFolder folder;
    EXPECT_EQ(FileSize(folder.Write("five", "12345")), 5u);
    EXPECT_EQ(FileSize(folder.Write("empty", "")), 0u);
    EXPECT_EQ(FileSize(folder.path() / "missing"), 0u);
    EXPECT_EQ(FileSize(folder.path()), 0u);
    // A named pipe with no writer must not block the caller.
    const fs::path pipe = folder.path() / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(FileSize(pipe), 0u);
}

TEST(ReadWholeFile, ReadsUpToTheFirstZeroByte) {
    TempFolder folder;
    EXPECT_EQ(ReadWholeFile(folder.Write("zero", std::string("{\"a\":1}\0tail", 12))), "{\"a\":1}");
    std::string long_text(600 * 1024, 'x');
    EXPECT_EQ(ReadWholeFile(folder.Write("long", long_text)), long_text);
    long_text[290 * 1024] = '\0';
    EXPECT_EQ(ReadWholeFile(folder.Write("late-zero", long_text)), std::string(290 * 1024, 'x'));
    // Kernel files report size 0 yet have contents.
    EXPECT_NE(ReadWholeFile("/proc/self/status").find("Pid:"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(folder.path() / "missing"), "");
    EXPECT_EQ(ReadWholeFile(folder.path()), "");
}

TEST(CopyFile, CopiesAllBytesOverAnExistingFile) {
    TempFolder folder;
    std::string bytes(700 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    const fs::path source = folder.Write("headpic2.png", bytes);
    const fs::path destination = folder.Write("headpic.png", "old picture");
    ASSERT_TRUE(CopyFile(source, destination));
    EXPECT_EQ(FileContents(destination), bytes);
    EXPECT_EQ(EntryCount(folder.path()), 2u);
}

TEST(CopyFile, RefusesToCopyAFileOntoItself) {
    TempFolder folder;
    const fs::path file = folder.Write("sub/a.png", "picture");
    EXPECT_FALSE(CopyFile(file, file));
    EXPECT_FALSE(CopyFile(file, folder.path() / "sub/../sub/a.png"));
    const fs::path link = folder.path() / "hard.png";
    fs::create_hard_link(file, link);
    EXPECT_FALSE(CopyFile(link, file));
    EXPECT_EQ(FileContents(file), "picture");
}

TEST(CopyFile, FailsWhenEitherSideCannotBeOpened) {
    TempFolder folder;
    const fs::path source = folder.Write("a.png", "picture");
    EXPECT_FALSE(CopyFile(folder.path() / "missing.png", folder.path() / "b.png"));
    EXPECT_FALSE(fs::exists(folder.path() / "b.png"));
    EXPECT_FALSE(CopyFile(source, folder.path() / "no-such-folder/b.png"));
    EXPECT_FALSE(CopyFile(folder.path(), folder.path() / "b.png"));
}

TEST(CopyFile, ReadErrorKeepsTheOldDestination) {
    TempFolder folder;
    const fs::path destination = folder.Write("headpic.png", "old picture");
    // Opens as a regular file, but reading at offset 0 fails (nothing is mapped there).
    EXPECT_FALSE(CopyFile("/proc/self/mem", destination));
    EXPECT_EQ(FileContents(destination), "old picture");
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

class WalkDirectoryTest : public ::testing::Test {
protected:
    std::string Path(std::string_view relative) const {
        return (folder_.path() / relative).string();
    }
    TempFolder folder_;
};

TEST_F(WalkDirectoryTest, ListsFilesDepthFirstInByteOrder) {
    for (const char* file : {"b.tessal", "a/x.tessal", "A.tessal", "a/sub/y.tessal", "c"}) {
        folder_.Write(file, "data");
    }
    fs::create_directories(folder_.path() / "empty/deeper");
    std::vector<std::string> files{"kept"};
    WalkDirectory(folder_.path(), files);
    EXPECT_EQ(files, (std::vector<std::string>{"kept", Path("A.tessal"), Path("a/sub/y.tessal"),
                                               Path("a/x.tessal"), Path("b.tessal"), Path("c")}));
}

TEST_F(WalkDirectoryTest, FollowsNoLinkedFolderButListsLinkedFiles) {
    folder_.Write("course/1.tessal", "data");
    fs::create_directory_symlink(folder_.path(), folder_.path() / "course/loop");
    fs::create_symlink(folder_.path() / "course/1.tessal", folder_.path() / "course/2.tessal");
    std::vector<std::string> files;
    WalkDirectory(folder_.path(), files);
    EXPECT_EQ(files, (std::vector<std::string>{Path("course/1.tessal"), Path("course/2.tessal")}));
}

TEST_F(WalkDirectoryTest, UnreadableFolderAddsNothing) {
    std::vector<std::string> files;
    WalkDirectory(folder_.path() / "missing", files);
    WalkDirectory(folder_.Write("plain-file", "data"), files);
    EXPECT_TRUE(files.empty());
}

TEST(PathParts, CutAtTheLastSlashElseTheLastBackslash) {
    struct Case {
        const char* path;
        const char* file_name;
        const char* folder;
    };
    const Case cases[] = {
        {"D:\\TessalDownload\\Course\\1.tessal", "1.tessal", "D:\\TessalDownload\\Course\\"},
        {"/home/u/TessalDownload/1.tessal", "1.tessal", "/home/u/TessalDownload/"},
        {"a/b\\c.tessal", "b\\c.tessal", "a/"},  // "/" wins although "\\" comes later
        {"a\\b/c", "c", "a\\b/"},
        {"1.tessal", "", ""},
        {"folder/", "", "folder/"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOfPath(c.path), c.file_name) << c.path;
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
    }
}

}  // namespace
}  // namespace tessal
