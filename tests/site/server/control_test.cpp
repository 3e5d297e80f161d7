// The control port as another process drives it, and what the site records of requests
// it refuses before any endpoint sees them.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/base/text_codec.h"
#include "common/net/url.h"
#include "tests/site/server/site_fixture.h"

namespace tessal::site::test {
namespace {

class ControlTest : public SiteTest {
protected:
    std::string Control(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(site_->addresses().ControlPort()) + path;
    }
    Fetched Send(const std::string& method, const std::string& path, const std::string& body) {
        return FetchWith(method, Control(path), body);
    }
};

TEST_F(ControlTest, QueuesPushesAndRaisesTheListVersion) {
    EXPECT_EQ(
        Send(
            "POST", "/pushes",
            R"({"uid":"10004","mode":"1","url":"{MainSite}/news/x.html","title":"T","content":"内容"})")
            .status,
        200);
    const std::string reply = Utf8FromCodePage(
        Post(SiteHost::kClientData, "/GetDiscuzPush.php", "mode=2&uid=10004"), "GBK");
    EXPECT_NE(reply.find("#Con=内容#"), std::string::npos) << reply;
    EXPECT_NE(reply.find("#url=" + site_->urls().HostUrl(SiteHost::kMainSite) + "/news/x.html#"),
              std::string::npos);
    EXPECT_EQ(Send("POST", "/pushes", "not json").status, 400);

    EXPECT_EQ(Send("PUT", "/list-version", "9").status, 200);
    EXPECT_NE(Get(SiteHost::kMainSite, "/video_ftp/TessalClient/Updata.xml").find("id=\"9\""),
              std::string::npos);
}

TEST_F(ControlTest, ShowsSessionsQuestionsAndTheRequestLog) {
    Post(SiteHost::kClientData, "/DiscuzPost.php",
         "mode=1&acc=" + UrlEncode("测试", false, "GBK") + "&pwd=1&tit=t&con=c&course=101");
    EXPECT_NE(Send("GET", "/questions", "").body.find("\"acc\":\"测试\""), std::string::npos);
    EXPECT_EQ(Send("GET", "/sessions", "").body, "[]");

    const std::string log = Send("GET", "/requests?since=0", "").body;
    EXPECT_NE(log.find("\"path\":\"/DiscuzPost.php\""), std::string::npos);
    EXPECT_NE(log.find("\"body_base64\""), std::string::npos);
    EXPECT_EQ(Send("GET", "/requests?since=1", "").body, "[]");
    EXPECT_EQ(Send("DELETE", "/requests", "").status, 200);
    EXPECT_TRUE(site_->requests().All().empty());
    EXPECT_EQ(Send("POST", "/faults", "{\"status\":\"x\"}").status, 400);
}

TEST_F(ControlTest, RefusedOversizedFormsAreStillRecorded) {
    const std::string question = "mode=1&con=" + std::string(9000, 'a');
    const Fetched refused =
        Fetch(Url(SiteHost::kClientData, "/DiscuzPost.php"), "", true, question);
    EXPECT_EQ(refused.status, 413);
    // Recorded once answered, which may be a moment after the client has the answer.
    auto recorded = site_->requests().All();
    for (int i = 0; i < 200 && recorded.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        recorded = site_->requests().All();
    }
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].path, "/DiscuzPost.php");
    EXPECT_TRUE(site_->state().Questions().empty());
}

// A port belongs to one site: a second one on the same ports (a parallel test, a second
// demo) must not start and silently take half of the first one's connections.
TEST_F(ControlTest, ASecondSiteOnTheSamePortsDoesNotStart) {
    SiteOptions options = DefaultSiteOptions();
    options.base_port = site_->addresses().base_port();
    ReferenceSite second(options);
    std::string error;
    EXPECT_FALSE(second.Start(error));
    EXPECT_FALSE(error.empty());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Send("GET", "/sessions", "").body, "[]");
}

}  // namespace
}  // namespace tessal::site::test
