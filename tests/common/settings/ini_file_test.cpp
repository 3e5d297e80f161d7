#include "common/settings/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "common/base/atomic_write.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    TempFolder folder_;
    TempFolder locks_;
    ScopedEnvironment runtime_{"XDG_RUNTIME_DIR", locks_.path().string()};
    std::filesystem::path file_ = folder_.path() / "UserSet.ini";
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadProfileString(file_, "Client", "DownLoadChannel", "1"), "1");
    ASSERT_TRUE(WriteFileAtomically(file_, "[Client]\nLoginChannel=2\n"));
    EXPECT_EQ(ReadProfileString(file_, "Other", "LoginChannel", "d"), "d");
    EXPECT_EQ(ReadProfileString(file_, "Client", "DownLoadChannel", ""), "");
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKeyAndKeepsEmptyValues) {
    ASSERT_TRUE(WriteProfileString(file_, "Client", "DownLoadFile", ""));
    ASSERT_TRUE(WriteProfileString(file_, "Client", "LoginChannel", "3"));
    ASSERT_TRUE(WriteProfileString(file_, "GlobalVersion", "GlobalVersion", "12"));
    EXPECT_EQ(FileContents(file_),
              "[Client]\nDownLoadFile=\nLoginChannel=3\n[GlobalVersion]\nGlobalVersion=12\n");
    EXPECT_EQ(ReadProfileString(file_, "Client", "DownLoadFile", "default"), "");
    ASSERT_TRUE(WriteProfileString(file_, "client", "loginchannel", "1"));  // replaces in place
    EXPECT_EQ(ReadProfileString(file_, "CLIENT", "LoginChannel", ""), "1");
    EXPECT_EQ(ReadProfileKeys(file_, "Client"),
              (std::vector<std::string>{"DownLoadFile", "loginchannel"}));
}

TEST_F(IniFileTest, WindowsFilesWithByteOrderMarkAndCrlfReadAndStayThatWay) {
    ASSERT_TRUE(WriteFileAtomically(
        file_,
        "\xEF\xBB\xBF[Client]\r\nDownLoadFile=D:\\课程\r\n; chosen by the member\r\n\r\n"
        "[Other]\r\nx = \"quoted value\" \r\n"));
    EXPECT_EQ(ReadProfileString(file_, "Client", "DownLoadFile", ""), "D:\\课程");
    EXPECT_EQ(ReadProfileString(file_, "Other", "X", ""), "quoted value");
    ASSERT_TRUE(WriteProfileString(file_, "Client", "DownLoadChannel", "2"));
    EXPECT_EQ(FileContents(file_),
              "\xEF\xBB\xBF[Client]\r\nDownLoadFile=D:\\课程\r\n; chosen by the member\r\n"
              "DownLoadChannel=2\r\n\r\n[Other]\r\nx = \"quoted value\" \r\n");
}

TEST_F(IniFileTest, FirstMatchWinsAndUnrelatedLinesAreKept) {
    ASSERT_TRUE(WriteFileAtomically(file_, "junk line\n[A]\nk=1\nk=2\n[a]\nk=3\n"));
    EXPECT_EQ(ReadProfileString(file_, "a", "K", ""), "1");
    ASSERT_TRUE(WriteProfileString(file_, "A", "k", "9"));
    EXPECT_EQ(FileContents(file_), "junk line\n[A]\nk=9\nk=2\n[a]\nk=3\n");
}

TEST_F(IniFileTest, ReadsAreCutToTheBufferOnACharacterBoundary) {
    ASSERT_TRUE(WriteProfileString(file_, "S", "k", "abcdef"));
    EXPECT_EQ(ReadProfileString(file_, "S", "k", "", 4), "abc");
    ASSERT_TRUE(WriteProfileString(file_, "S", "cn", "课程"));  // 3 bytes each
    EXPECT_EQ(ReadProfileString(file_, "S", "cn", "", 6), "课");
    EXPECT_EQ(ReadProfileString(file_, "S", "missing", "defaultvalue", 5), "defa");
}

TEST_F(IniFileTest, LineBreaksInAValueCannotBreakTheFile) {
    ASSERT_TRUE(WriteProfileString(file_, "S", "k", "line1\r\n[Evil]\nx=1"));
    EXPECT_EQ(ReadProfileString(file_, "S", "k", ""), "line1  [Evil] x=1");
    EXPECT_EQ(ReadProfileString(file_, "Evil", "x", "none"), "none");
}

TEST_F(IniFileTest, DeletesKeysAndSections) {
    ASSERT_TRUE(WriteProfileEntries(file_, "List", {{"1", "a"}, {"2", "b"}, {"Count", "2"}}));
    ASSERT_TRUE(WriteProfileString(file_, "Keep", "k", "v"));
    ASSERT_TRUE(DeleteProfileKey(file_, "List", "1"));
    EXPECT_EQ(ReadProfileKeys(file_, "List"), (std::vector<std::string>{"2", "Count"}));
    ASSERT_TRUE(WriteProfileEntries(file_, "List", {{"2", std::nullopt}}));
    ASSERT_TRUE(DeleteProfileSection(file_, "List"));
    EXPECT_TRUE(DeleteProfileKey(file_, "List", "gone"));  // nothing to delete is no failure
    EXPECT_EQ(FileContents(file_), "[Keep]\nk=v\n");
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverOverwritten) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    ASSERT_TRUE(WriteProfileEntries(file_, "Client", {{"k1", "a"}, {"k2", "b"}}));
    std::filesystem::permissions(file_, std::filesystem::perms::none);
    EXPECT_FALSE(WriteProfileString(file_, "Client", "k3", "c"));
    std::filesystem::permissions(file_, std::filesystem::perms::owner_read);
    EXPECT_EQ(FileContents(file_), "[Client]\nk1=a\nk2=b\n");
}

TEST_F(IniFileTest, AWriteIntoAMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(WriteProfileString(folder_.path() / "nope" / "x.ini", "S", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "nope"));
}

}  // namespace
}  // namespace tessal
