// Misbehaviour on demand: late, cut off, wrong status, malformed and throttled replies.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "tests/site/server/site_fixture.h"

namespace tessal::site::test {
namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class FaultsTest : public SiteTest {
protected:
    FaultRule Rule(const std::string& host, const std::string& path) {
        FaultRule rule;
        rule.host = host;
        rule.path = path;
        return rule;
    }
    std::string Timestamp() { return Get(SiteHost::kAppApi, "/app_client_api_v2/timestamp"); }
    // The 12 s test clip: large enough to trickle for a while.
    std::string Lesson() { return Url(SiteHost::kDownload1, "/lessons/101/kj101-02.tessal"); }
};

TEST_F(FaultsTest, StatusAndMalformedBodyReplaceTheAnswerForAsManyTimesAsAsked) {
    FaultRule rule = Rule("AppApi", "/app_client_api_v2/timestamp");
    rule.body = "{\"timestamp\":";
    rule.times = 1;
    site_->faults().Add(rule);
    EXPECT_EQ(Timestamp(), "{\"timestamp\":");
    EXPECT_NE(Timestamp().find("\"timestamp\":\""), std::string::npos);

    FaultRule status = Rule("AppApi", "");
    status.status = 503;
    site_->faults().Add(status);
    EXPECT_EQ(Fetch(Url(SiteHost::kAppApi, "/app_client_api_v2/timestamp")).status, 503);
    EXPECT_EQ(Fetch(Url(SiteHost::kMainSite, "/")).status, 200);  // other hosts unharmed
    site_->faults().Clear();
    EXPECT_EQ(Fetch(Url(SiteHost::kAppApi, "/app_client_api_v2/timestamp")).status, 200);
}

TEST_F(FaultsTest, DelayHoldsTheReply) {
    FaultRule rule = Rule("AppApi", "/app_client_api_v2/timestamp");
    rule.delay_ms = 600;
    site_->faults().Add(rule);
    const auto start = Clock::now();
    EXPECT_FALSE(Timestamp().empty());
    EXPECT_GE(ElapsedMs(start), 600);
    // A client that gives up earlier sees a hung server.
    EXPECT_EQ(SendRequest(Url(SiteHost::kAppApi, "/app_client_api_v2/timestamp"), "", "",
                          HttpMethod::kGet, HttpTimeouts{1000, 300}),
              "");
}

TEST_F(FaultsTest, CutOffEndsTheTransferShortOfItsLength) {
    FaultRule rule = Rule("Download1", "");
    rule.cut_after_bytes = 5000;
    site_->faults().Add(rule);
    const Fetched cut = Fetch(Lesson());
    EXPECT_EQ(cut.curl_code, 18);  // CURLE_PARTIAL_FILE
    EXPECT_EQ(cut.body.size(), 5000u);

    FaultRule small = Rule("ClientData", "/GetDiscuzPush.php");
    small.cut_after_bytes = 3;
    site_->faults().Add(small);
    EXPECT_EQ(Post(SiteHost::kClientData, "/GetDiscuzPush.php", "mode=2&uid=10001"), "");
}

TEST_F(FaultsTest, ThrottleSlowsATransferSoThatItCanBePausedHalfWay) {
    FaultRule rule = Rule("Download1", "/lessons/101/kj101-02.tessal");
    rule.rate_bytes_per_second = 100000;
    site_->faults().Add(rule);
    const auto start = Clock::now();
    const Fetched part = Fetch(Lesson(), "0-49999");
    EXPECT_EQ(part.body.size(), 50000u);
    EXPECT_GE(ElapsedMs(start), 400);
    const Fetched cut_short = Fetch(Lesson(), "", false, "", 300);
    EXPECT_EQ(cut_short.curl_code, 28);  // CURLE_OPERATION_TIMEDOUT
    EXPECT_GT(cut_short.body.size(), 0u);
    EXPECT_LT(cut_short.body.size(), 60000u);
}

TEST_F(FaultsTest, AServerWithoutRangesAnswersARangeWithTheWholeFile) {
    FaultRule rule = Rule("Download1", "");
    rule.ignore_range = true;
    rule.times = 1;
    site_->faults().Add(rule);
    const Fetched whole = Fetch(Lesson(), "100-199");
    EXPECT_EQ(whole.status, 200);
    EXPECT_GT(whole.body.size(), 100000u);
    EXPECT_EQ(Fetch(Lesson(), "100-199").status, 206);
}

TEST_F(FaultsTest, StoppingEndsWaitingReplies) {
    FaultRule rule = Rule("MainSite", "/");
    rule.delay_ms = 60000;
    site_->faults().Add(rule);
    auto pending = std::async(std::launch::async,
                              [url = Url(SiteHost::kMainSite, "/")] { return Fetch(url); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    site_->Stop();
    EXPECT_LT(ElapsedMs(start), 3000);
    EXPECT_NE(pending.get().status, 200);
}

// A lesson host's line down for a while: the transfer in progress is cut, connections
// are refused, and afterwards the host answers on its old port again.
TEST_F(FaultsTest, AnOutageCutsTheHostRefusesItThenTheHostComesBack) {
    FaultRule slow = Rule("Download1", "");
    slow.rate_bytes_per_second = 20000;
    site_->faults().Add(slow);
    auto in_progress = std::async(std::launch::async, [url = Lesson()] { return Fetch(url); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string control =
        "http://127.0.0.1:" + std::to_string(site_->addresses().ControlPort()) + "/outage";
    EXPECT_EQ(FetchWith("POST", control, R"({"host":"Download1","ms":1500})").status, 200);
    EXPECT_EQ(in_progress.get().curl_code, 18) << "cut: CURLE_PARTIAL_FILE";
    EXPECT_EQ(Fetch(Lesson()).curl_code, 7) << "refused: CURLE_COULDNT_CONNECT";
    EXPECT_EQ(Fetch(Url(SiteHost::kDownload2, "/lessons/101/kj101-02.tessal"), "0-9").status, 206)
        << "other hosts unharmed";
    EXPECT_EQ(FetchWith("POST", control, R"({"host":"Download1","ms":1500})").status, 409)
        << "down already";

    std::this_thread::sleep_for(std::chrono::milliseconds(1700));
    EXPECT_EQ(Fetch(Lesson(), "0-9").status, 206);
    for (const char* refused :
         {R"({"host":"Control","ms":10})", R"({"host":"Nowhere","ms":10})",
          R"({"host":"Download1"})", R"({"host":"Download1","ms":-5})", "[]"}) {
        EXPECT_NE(FetchWith("POST", control, refused).status, 200) << refused;
    }
}

TEST_F(FaultsTest, StoppingWhileOutagesAreAskedForEndsPromptly) {
    const std::string control =
        "http://127.0.0.1:" + std::to_string(site_->addresses().ControlPort()) + "/outage";
    std::atomic<bool> asking = true;
    std::vector<std::thread> askers;
    for (const char* host : {"Nowhere", "Download1", "Download2", "MainSite"}) {
        askers.emplace_back([&, body = std::string(R"({"host":")") + host + R"(","ms":1})"] {
            while (asking)
                FetchWith("POST", control, body);
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    site_->Stop();
    EXPECT_LT(ElapsedMs(start), 3000);
    asking = false;
    for (auto& asker : askers)
        asker.join();
}

TEST(FaultRuleJson, ReadsEveryMemberAndRefusesBadTypes) {
    FaultRule rule;
    std::string error;
    ASSERT_TRUE(FaultRuleFromJson(
        R"({"host":"Download2","path":"/x","delay_ms":5,"status":500,"cut_after_bytes":10,)"
        R"("body":"oops","rate_bytes_per_second":1000,"ignore_range":true,"times":2})",
        rule, error))
        << error;
    EXPECT_EQ(rule.host, "Download2");
    EXPECT_EQ(rule.delay_ms, 5);
    EXPECT_EQ(rule.status, 500);
    EXPECT_EQ(rule.cut_after_bytes, 10);
    EXPECT_EQ(rule.body.value_or(""), "oops");
    EXPECT_EQ(rule.rate_bytes_per_second, 1000);
    EXPECT_TRUE(rule.ignore_range);
    EXPECT_EQ(rule.times, 2);
    EXPECT_FALSE(FaultRuleFromJson("[1]", rule, error));
    EXPECT_FALSE(FaultRuleFromJson(R"({"delay_ms":"soon"})", rule, error));
}

}  // namespace
}  // namespace tessal::site::test
