#include "common/net/file_download.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/loopback_http_server.h"
#include "tests/support/refused_port.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using test::ScriptedReply;

std::string Payload(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>(i * 31 % 251));
    }
    return bytes;
}

class DownloadToFileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        target_ = folder_.path() / "Course.dll";
    }

    void WriteOldTarget() { std::ofstream(target_, std::ios::binary) << "old copy"; }

    test::LoopbackHttpServer server_;
    TempFolder folder_;
    std::filesystem::path target_;
};

TEST_F(DownloadToFileTest, CompleteFileReplacesTheTarget) {
    WriteOldTarget();
    server_.SetReply("/codecs/Course.dll", ScriptedReply::Ok(Payload(300000)));

    EXPECT_TRUE(DownloadToFile(server_.Url("/codecs/Course.dll"), target_));

    EXPECT_TRUE(FileContents(target_) == Payload(300000));
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{"Course.dll"});
    EXPECT_EQ(server_.Requests().at(0).HeaderValue("User-Agent"),
              "Mozilla / 4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
}

TEST_F(DownloadToFileTest, RedirectedDownloadAndEmptyFileSucceed) {
    server_.SetReply("/moved", ScriptedReply::Redirect(301, "/empty"));
    server_.SetReply("/empty", ScriptedReply::Ok(""));
    EXPECT_TRUE(DownloadToFile(server_.Url("/moved"), target_));
    EXPECT_TRUE(std::filesystem::exists(target_));
    EXPECT_EQ(FileContents(target_), "");
}

TEST_F(DownloadToFileTest, ErrorStatusLeavesTargetAndFolderAlone) {
    WriteOldTarget();
    server_.SetReply("/error", ScriptedReply::WithStatus(500, "server error page"));
    EXPECT_FALSE(DownloadToFile(server_.Url("/missing"), target_));
    EXPECT_FALSE(DownloadToFile(server_.Url("/error"), target_));
    EXPECT_EQ(FileContents(target_), "old copy");
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{"Course.dll"});
}

TEST_F(DownloadToFileTest, CutOffTransferIsAFailure) {
    WriteOldTarget();
    server_.SetReply("/cut", ScriptedReply::CutOff(Payload(100000), 40000));
    EXPECT_FALSE(DownloadToFile(server_.Url("/cut"), target_));
    EXPECT_EQ(FileContents(target_), "old copy");
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{"Course.dll"});
}

TEST_F(DownloadToFileTest, StalledTransferEndsAfterTheLowSpeedTime) {
    // Nothing of the body ever comes: libcurl measures speed over the last few seconds,
    // so bytes sent before a stall would only delay the verdict.
    server_.SetReply("/stalled", ScriptedReply::Stall(Payload(100000), 0));
    DownloadOptions options;
    options.low_speed_time_s = 1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DownloadToFile(server_.Url("/stalled"), target_, options));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(folder_.FileNames().empty());
}

TEST_F(DownloadToFileTest, SlowButSteadyTransferIsNotStalled) {
    server_.SetReply("/slow",
                     ScriptedReply::Throttled(Payload(4000), 1000, std::chrono::milliseconds(300)));
    DownloadOptions options;
    options.low_speed_time_s = 1;
    EXPECT_TRUE(DownloadToFile(server_.Url("/slow"), target_, options));
    EXPECT_EQ(FileContents(target_), Payload(4000));
}

TEST_F(DownloadToFileTest, UnreachableServerOrMissingFolderIsAFailure) {
    const test::RefusedPort refused;
    const std::string refused_url = refused.Url("/file");
    EXPECT_FALSE(DownloadToFile(refused_url, target_));
    server_.SetReply("/file", ScriptedReply::Ok("data"));
    EXPECT_FALSE(DownloadToFile(server_.Url("/file"), folder_.path() / "absent" / "file"));
    EXPECT_TRUE(folder_.FileNames().empty());
}

}  // namespace
}  // namespace tessal
