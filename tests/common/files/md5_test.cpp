#include "common/files/md5.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

// Bytes 0, 1, ..., 250, 0, 1, ...: no run of equal blocks can hide a skipped read.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

TEST(TextMd5, MatchesPublishedDigests) {
    EXPECT_EQ(TextMd5(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(TextMd5("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(TextMd5("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(TextMd5("1234567890123456789012345678901234567890"
                      "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(TextMd5, HashesBytesPastAZeroByte) {
    EXPECT_EQ(TextMd5(std::string("a\0b", 3)), "70350f6027bce3713f6b76473084309b");
}

TEST(FileMd5, HashesFilesAroundTheReadBlockSize) {
    TempFolder folder;
    EXPECT_EQ(FileMd5(folder.Write("empty", "")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(FileMd5(folder.Write("one-past", Pattern(256 * 1024 + 1))),
              "644ebc1faebf34018d0e30c198b1cc08");
    EXPECT_EQ(FileMd5(folder.Write("two-blocks", Pattern(2 * 256 * 1024))),
              "cad29d4e367797f6ac5f1cc7c52768a4");
}

TEST(FileMd5, MissingFileGivesEmptyTextAndReportsIt) {
    TempFolder folder;
    const auto missing = folder.path() / "missing.dll";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(FileMd5(missing), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "fopen " + missing.string() + " failed\n");
}

TEST(FileMd5, NamedPipeGivesEmptyTextWithoutWaitingForAWriter) {
    TempFolder folder;
    const auto pipe = folder.path() / "Updata.xml";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(FileMd5(pipe), "");
}

TEST(FileMd5, FolderGivesEmptyText) {
    TempFolder folder;
    EXPECT_EQ(FileMd5(folder.path()), "");
}

}  // namespace
}  // namespace tessal
