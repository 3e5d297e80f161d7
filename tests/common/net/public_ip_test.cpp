#include "common/net/public_ip.h"

#include <gtest/gtest.h>

#include <string>

#include "common/base/text_codec.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/refused_port.h"

namespace tessal {
namespace {

using test::ScriptedReply;

constexpr HttpTimeouts kShortTimeouts{1000, 2000};

class LookupPublicIpTest : public testing::Test {
protected:
    // The service's pages are written in GBK.
    void ServeGbk(const std::string& path, const std::string& utf8_page) {
        server_.SetReply(path, ScriptedReply::Ok(CodePageFromUtf8(utf8_page, "GBK")));
    }

    void ServeHomeWithFrame() {
        ServeGbk("/", "<html><title>查询IP</title><iframe src=\"" + server_.Url("/ic.asp") +
                          "\" rel=\"nofollow\" frameborder=\"0\"></iframe></html>");
    }

    bool Lookup() { return LookupPublicIp(server_.Url("/"), ip_, place_, "GBK", kShortTimeouts); }

    test::LoopbackHttpServer server_;
    std::string ip_ = "stale";
    std::string place_ = "stale";
};

TEST_F(LookupPublicIpTest, ReadsIpAndPlaceFromTheFramedPage) {
    ServeHomeWithFrame();
    ServeGbk("/ic.asp", "<center>您的IP是：[203.0.113.7] 来自：广东省深圳市 电信</center>");

    EXPECT_TRUE(Lookup());

    EXPECT_EQ(ip_, "203.0.113.7");
    EXPECT_EQ(place_, "广东省深圳市 电信");
    ASSERT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(server_.Requests()[1].request_line, "GET /ic.asp HTTP/1.1");
}

TEST_F(LookupPublicIpTest, MissingIpMarkerFailsWithWhatWasFound) {
    ServeHomeWithFrame();
    ServeGbk("/ic.asp", "<center>IP: [203.0.113.7] 来自：广东省</center>");
    EXPECT_FALSE(Lookup());
    EXPECT_EQ(ip_, "");
    EXPECT_EQ(place_, "广东省");
}

TEST_F(LookupPublicIpTest, HomePageWithoutFrameEndsAfterOneRequest) {
    ServeGbk("/", "<html>维护中</html>");
    EXPECT_FALSE(Lookup());
    EXPECT_EQ(ip_, "");
    EXPECT_EQ(place_, "");
    EXPECT_EQ(server_.RequestCount(), 1u);
}

TEST_F(LookupPublicIpTest, UnreachableServiceClearsBothOutputs) {
    const test::RefusedPort refused;
    const std::string url = refused.Url("/");
    EXPECT_FALSE(LookupPublicIp(url, ip_, place_, "GBK", kShortTimeouts));
    EXPECT_EQ(ip_, "");
    EXPECT_EQ(place_, "");
}

}  // namespace
}  // namespace tessal
