#include "common/system/disk_identity.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using Block = std::array<std::uint8_t, kIdentifyBlockBytes>;

// Stores `text` as a drive does: the first character of each pair in the word's high
// byte, which is the second byte in memory.
void PutDeviceText(Block& block, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        block[offset + (i ^ 1)] = static_cast<std::uint8_t>(text[i]);
    }
}

// Identify data as a QEMU disk and a SATA SSD return them (text fields only; the
// other words do not take part).
Block QemuBlock() {
    Block block{};
    block.fill(0x5a);
    PutDeviceText(block, 20, "QM00001             ");
    PutDeviceText(block, 46, "2.5+    ");
    PutDeviceText(block, 54, "QEMU HARDDISK                           ");
    return block;
}

TEST(ParseIdentifyBlock, SwapsEachWordAndKeepsPadding) {
    const DiskIdentity identity = ParseIdentifyBlock(QemuBlock());
    EXPECT_EQ(identity.serial, "QM00001             ");
    EXPECT_EQ(identity.firmware, "2.5+    ");
    EXPECT_EQ(identity.model, "QEMU HARDDISK                           ");
}

TEST(ParseIdentifyBlock, RightAlignedSerialKeepsLeadingAndInnerBlanks) {
    Block block = QemuBlock();
    PutDeviceText(block, 20, "     S3Z9 NB0K12345X");
    PutDeviceText(block, 46, "RVT0 2 Q");
    EXPECT_EQ(ParseIdentifyBlock(block).serial, "     S3Z9 NB0K12345X");
    EXPECT_EQ(ParseIdentifyBlock(block).firmware, "RVT0 2 Q");
}

TEST(ParseIdentifyBlock, FieldEndsAtItsFirstZeroByte) {
    Block block = QemuBlock();
    PutDeviceText(block, 54, std::string("ABC\0DEF", 7));
    PutDeviceText(block, 20, std::string(20, '\0'));
    // Neighbouring fields stay apart even when none of them holds a zero byte.
    PutDeviceText(block, 46, "12345678");
    const DiskIdentity identity = ParseIdentifyBlock(block);
    EXPECT_EQ(identity.model.substr(0, 3), "ABC");
    EXPECT_EQ(identity.model.size(), 3u);
    EXPECT_EQ(identity.serial, "");
    EXPECT_EQ(identity.firmware, "12345678");
}

TEST(ReadDiskIdentityOf, FailsWithAReasonForWhatIsNoDisk) {
    TempFolder folder;
    DiskIdentity identity{"model", "serial", "firmware"};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReadDiskIdentityOf(folder.path() / "missing", identity), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "open() Error: 2\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReadDiskIdentityOf(folder.Write("plain", std::string(512, 'x')), identity), -1);
    const std::string reasons = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(reasons.find("HDIO_GET_IDENTITY Error: "), std::string::npos) << reasons;
    EXPECT_NE(reasons.find("SG_IO Error: "), std::string::npos) << reasons;
    EXPECT_EQ(identity.serial, "serial");
}

}  // namespace
}  // namespace tessal
