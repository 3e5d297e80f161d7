#include "common/system/machine_identifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "common/settings/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

namespace fs = std::filesystem;

int DiskFails(DiskIdentity&) {
    return -1;
}

std::function<int(DiskIdentity&)> DiskWithSerial(std::string serial) {
    return [serial](DiskIdentity& identity) {
        identity.serial = serial;
        return 0;
    };
}

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

class MachineIdentifierTest : public ::testing::Test {
protected:
    // Lock files land in the scratch folder too.
    void SetUp() override { environment_.Set("XDG_RUNTIME_DIR", folder_.path().string()); }
    fs::path identity_file() const { return folder_.path() / "codecs/wm/TessalMachine.ini"; }

    TempFolder folder_;
    ScopedEnvironment environment_;
};

TEST_F(MachineIdentifierTest, DiskSerialLosesEveryBlankAndWritesNothing) {
    EXPECT_EQ(MachineIdentifier(identity_file(), DiskWithSerial("     S3Z9 NB0K12345X")),
              "S3Z9NB0K12345X");
    EXPECT_FALSE(fs::exists(identity_file()));
}

TEST_F(MachineIdentifierTest, UnreadableDiskGetsOneLastingFallback) {
    const std::string first = MachineIdentifier(identity_file(), DiskFails);
    EXPECT_EQ(first.size(), 32u);
    EXPECT_TRUE(IsDigits(first)) << first;
    EXPECT_EQ(ReadProfileString(identity_file(), "HD", "HD", ""), first);
    EXPECT_EQ(MachineIdentifier(identity_file(), DiskFails), first);
    // Another machine draws its own.
    EXPECT_NE(MachineIdentifier(folder_.path() / "other.ini", DiskFails), first);
}

TEST_F(MachineIdentifierTest, StoredFallbackIsUsedAsItIs) {
    fs::create_directories(identity_file().parent_path());
    ASSERT_TRUE(WriteProfileString(identity_file(), "HD", "HD", "0123456789"));
    EXPECT_EQ(MachineIdentifier(identity_file(), DiskFails), "0123456789");
}

TEST_F(MachineIdentifierTest, BlankSerialCountsAsUnreadableDisk) {
    const std::string identifier = MachineIdentifier(identity_file(), DiskWithSerial("    "));
    EXPECT_EQ(identifier.size(), 32u);
    EXPECT_EQ(ReadProfileString(identity_file(), "HD", "HD", ""), identifier);
}

TEST_F(MachineIdentifierTest, FilePathPrefersTheUserDataFolder) {
    environment_.Set("XDG_DATA_HOME", (folder_.path() / "data").string());
    EXPECT_EQ(MachineIdentityFilePath("/opt/tessal"), folder_.path() / "data/TessalMachine.ini");
    // A data folder that cannot be made (its parent is a file) cannot keep the identifier.
    const auto file = folder_.Write("a-file", "x");
    environment_.Set("XDG_DATA_HOME", (file / "share").string());
    EXPECT_EQ(MachineIdentityFilePath("/opt/tessal"), "/opt/tessal/codecs/wm/TessalMachine.ini");
    environment_.Unset("XDG_DATA_HOME");
    environment_.Unset("HOME");
    EXPECT_EQ(MachineIdentityFilePath("/opt/tessal"), "/opt/tessal/codecs/wm/TessalMachine.ini");
}

}  // namespace
}  // namespace tessal
