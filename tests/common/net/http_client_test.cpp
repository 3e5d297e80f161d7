#include "common/net/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_http_server.h"
#include "tests/support/refused_port.h"

namespace tessal {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;

constexpr HttpTimeouts kShortTimeouts{1000, 800};

std::string Pattern(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(static_cast<char>('a' + (i * 7 + i / 26) % 26));
    }
    return text;
}

class SendRequestTest : public testing::Test {
protected:
    // Every header line before the cookie is fixed; `tail` is what follows them.
    std::string ExpectedHead(const std::string& request_line, const std::string& url,
                             const std::string& tail) const {
        return request_line + "\r\n" + "Host: " + server_.HostAndPort() + "\r\n" +
               "User-Agent: Mozilla / 4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n" +
               "Accept: */*\r\n" + "Referer:" + url + "\r\n" + "Accept-Language: zh-cn\r\n" +
               "Content-Type: application/x-www-form-urlencoded\r\n" + tail + "\r\n";
    }

    test::CapturedRequest OnlyRequest() const {
        std::vector<test::CapturedRequest> requests = server_.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? test::CapturedRequest{} : requests.front();
    }

    LoopbackHttpServer server_;
};

TEST_F(SendRequestTest, GetSendsTheFixedHeaderLinesAndNoBody) {
    server_.SetReply("/page", ScriptedReply::Ok("hello"));
    const std::string url = server_.Url("/page?a=1&b=%E4");

    EXPECT_EQ(SendRequest(url, "ignored=1", "", HttpMethod::kGet), "hello");

    test::CapturedRequest request = OnlyRequest();
    EXPECT_EQ(request.head, ExpectedHead("GET /page?a=1&b=%E4 HTTP/1.1", url, ""));
    EXPECT_EQ(request.body, "");
}

TEST_F(SendRequestTest, GetWithCookieAddsOneCookieLine) {
    const std::string url = server_.Url("/page");
    SendRequest(url, "", "sid=1; user=2", HttpMethod::kGet);
    EXPECT_EQ(OnlyRequest().head,
              ExpectedHead("GET /page HTTP/1.1", url, "Cookie: sid=1; user=2\r\n"));
}

TEST_F(SendRequestTest, PostSendsTheBodyWithItsLength) {
    server_.SetReply("/form", ScriptedReply::Ok("done"));
    const std::string url = server_.Url("/form");

    EXPECT_EQ(SendRequest(url, "a=1&b=%D6%D0", "", HttpMethod::kPost), "done");

    test::CapturedRequest request = OnlyRequest();
    EXPECT_EQ(request.head, ExpectedHead("POST /form HTTP/1.1", url, "Content-Length: 12\r\n"));
    EXPECT_EQ(request.body, "a=1&b=%D6%D0");
}

TEST_F(SendRequestTest, PostWithCookieSendsCookieBeforeLength) {
    const std::string url = server_.Url("/form");
    SendRequest(url, "x=1", "sid=abc", HttpMethod::kPost);
    test::CapturedRequest request = OnlyRequest();
    EXPECT_EQ(request.head,
              ExpectedHead("POST /form HTTP/1.1", url, "Cookie: sid=abc\r\nContent-Length: 3\r\n"));
    EXPECT_EQ(request.body, "x=1");
}

TEST_F(SendRequestTest, EmptyPostSendsZeroLengthBody) {
    const std::string url = server_.Url("/form");
    SendRequest(url, "", "", HttpMethod::kPost);
    EXPECT_EQ(OnlyRequest().head,
              ExpectedHead("POST /form HTTP/1.1", url, "Content-Length: 0\r\n"));
}

TEST_F(SendRequestTest, LargePostIsSentWithoutWaitingForContinue) {
    // libcurl would otherwise ask for "100-continue" above 1 MiB.
    const std::string body = Pattern(1500000);
    SendRequest(server_.Url("/form"), body, "", HttpMethod::kPost, kShortTimeouts);
    test::CapturedRequest request = OnlyRequest();
    EXPECT_EQ(request.HeaderValue("Expect"), "");
    EXPECT_EQ(request.body.size(), body.size());
    EXPECT_TRUE(request.body == body);
}

TEST_F(SendRequestTest, RepliesArriveWholeAndInOrderWhateverTheirSize) {
    for (std::size_t size : {0u, 1u, 1023u, 1024u, 1025u, 2048u, 300000u}) {
        SCOPED_TRACE(size);
        server_.SetReply("/sized", ScriptedReply::Ok(Pattern(size)));
        std::string reply = SendRequest(server_.Url("/sized"), "", "", HttpMethod::kGet);
        EXPECT_EQ(reply.size(), size);
        EXPECT_TRUE(reply == Pattern(size));
    }
}

TEST_F(SendRequestTest, AReplyLongerThanTheCallersLimitIsAFailure) {
    HttpTimeouts limited;
    limited.max_reply_bytes = 4096;
    for (const auto& [size, expected] :
         {std::pair{4096u, Pattern(4096)}, std::pair{4097u, std::string()},
          std::pair{300000u, std::string()}}) {
        SCOPED_TRACE(size);
        server_.SetReply("/sized", ScriptedReply::Ok(Pattern(size)));
        EXPECT_TRUE(SendRequest(server_.Url("/sized"), "", "", HttpMethod::kGet, limited) ==
                    expected);
    }
}

TEST_F(SendRequestTest, ErrorPagesAreReturnedLikeAnyReply) {
    server_.SetReply("/broken", ScriptedReply::WithStatus(500, "<html>server error</html>"));
    EXPECT_EQ(SendRequest(server_.Url("/broken"), "a=1", "", HttpMethod::kPost),
              "<html>server error</html>");
    EXPECT_EQ(SendRequest(server_.Url("/missing"), "", "", HttpMethod::kGet), "not found");
}

TEST_F(SendRequestTest, RedirectsAreFollowed) {
    server_.SetReply("/old", ScriptedReply::Redirect(302, "/new"));
    server_.SetReply("/new", ScriptedReply::Ok("moved here"));
    EXPECT_EQ(SendRequest(server_.Url("/old"), "", "", HttpMethod::kGet), "moved here");
    ASSERT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(server_.Requests()[1].request_line, "GET /new HTTP/1.1");
}

TEST_F(SendRequestTest, BlanksAndRawBytesGoOutEscapedOnceInRequestLineAndReferrer) {
    server_.SetReply("/a%20b", ScriptedReply::Ok("found"));
    const std::string url = server_.Url("/a b?c=d e&f=%E4&g=中\r\nX: 1");

    EXPECT_EQ(SendRequest(url, "", "", HttpMethod::kGet), "found");

    const std::string escaped = "/a%20b?c=d%20e&f=%E4&g=%E4%B8%AD%0D%0AX:%201";
    test::CapturedRequest request = OnlyRequest();
    EXPECT_EQ(request.head, ExpectedHead("GET " + escaped + " HTTP/1.1", server_.Url(escaped), ""));
}

TEST_F(SendRequestTest, ReplyCutOffBeforeItsLengthIsAFailure) {
    server_.SetReply("/cut", ScriptedReply::CutOff(Pattern(5000), 1500));
    EXPECT_EQ(SendRequest(server_.Url("/cut"), "", "", HttpMethod::kGet, kShortTimeouts), "");
}

TEST_F(SendRequestTest, HungServerEndsInTheTotalTimeout) {
    server_.SetReply("/silent", ScriptedReply::Silent());
    server_.SetReply("/stalled", ScriptedReply::Stall(Pattern(5000), 100));
    for (const char* path : {"/silent", "/stalled"}) {
        SCOPED_TRACE(path);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(SendRequest(server_.Url(path), "", "", HttpMethod::kGet, kShortTimeouts), "");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    }
}

TEST_F(SendRequestTest, CapitalSchemeGoesAsPlainHttpToThePortInTheHost) {
    server_.SetReply("/x", ScriptedReply::Ok("plain"));
    const std::string url = "HTTPS://" + server_.HostAndPort() + "/x";
    EXPECT_EQ(SendRequest(url, "", "", HttpMethod::kGet), "plain");
    EXPECT_EQ(OnlyRequest().HeaderValue("Referer"), url);
}

TEST_F(SendRequestTest, CallsFromManyThreadsGetTheirOwnReplies) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 5;
    for (int i = 0; i < kThreads; ++i) {
        server_.SetReply("/t" + std::to_string(i), ScriptedReply::Ok("reply " + std::to_string(i)));
    }
    std::atomic<int> wrong_replies{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < kRounds; ++round) {
                std::string url = server_.Url("/t" + std::to_string(i));
                if (SendRequest(url, "", "", HttpMethod::kPost) != "reply " + std::to_string(i)) {
                    ++wrong_replies;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong_replies, 0);
    EXPECT_EQ(server_.RequestCount(), std::size_t{kThreads * kRounds});
}

TEST(SendRequest, RefusedConnectionGivesEmptyReply) {
    const test::RefusedPort refused;
    const std::string url = refused.Url("/page");
    EXPECT_EQ(SendRequest(url, "a=1", "", HttpMethod::kPost, kShortTimeouts), "");
}

}  // namespace
}  // namespace tessal
