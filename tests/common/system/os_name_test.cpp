#include "common/system/os_name.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

constexpr char kUnknown[] = "unknown OperatingSystem.";

class OsNameTest : public ::testing::Test {
protected:
    std::string NameFrom(std::string_view os_release) {
        return OsName(folder_.Write("os-release", os_release));
    }
    TempFolder folder_;
};

TEST_F(OsNameTest, TakesPrettyNameWithoutItsQuotes) {
    EXPECT_EQ(NameFrom("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                       "VERSION_ID=\"12\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(NameFrom("PRETTY_NAME='Fedora Linux 40'\n"), "Fedora Linux 40");
    EXPECT_EQ(NameFrom("PRETTY_NAME=Alpine\n"), "Alpine");
    EXPECT_EQ(NameFrom("PRETTY_NAME=\"Say \\\"hi\\\" \\$5\"\r\n"), "Say \"hi\" $5");
}

TEST_F(OsNameTest, OnlyThePrettyNameKeyCounts) {
    EXPECT_EQ(NameFrom("NAME=Debian\nX_PRETTY_NAME=Other\n"), kUnknown);
    EXPECT_EQ(NameFrom("PRETTY_NAME=First\nPRETTY_NAME=\"Second\"\n"), "Second");
}

TEST_F(OsNameTest, UnknownWhenMissingOrEmpty) {
    EXPECT_EQ(OsName(folder_.path() / "missing"), kUnknown);
    EXPECT_EQ(OsName(folder_.path()), kUnknown);
    EXPECT_EQ(NameFrom("PRETTY_NAME=\"\"\n"), kUnknown);
    EXPECT_EQ(NameFrom(""), kUnknown);
}

}  // namespace
}  // namespace tessal
