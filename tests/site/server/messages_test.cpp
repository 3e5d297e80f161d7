// Push messages and questions: the client data host's texts in the site code page.

#include <gtest/gtest.h>

#include "common/base/text_codec.h"
#include "common/base/text_helpers.h"
#include "common/net/url.h"
#include "tests/site/server/site_fixture.h"

namespace tessal::site::test {
namespace {

class MessagesTest : public SiteTest {
protected:
    std::string Poll(const std::string& uid) {
        return Utf8FromCodePage(
            Post(SiteHost::kClientData, "/GetDiscuzPush.php", "mode=2&uid=" + uid), "GBK");
    }
    std::string Ask(const std::string& form) {
        return Post(SiteHost::kClientData, "/DiscuzPost.php", form);
    }
};

// The client's reading: after the marker up to the next "#".
std::string Marked(const std::string& reply, const std::string& marker) {
    return TextBetween(reply, marker, "#");
}

TEST_F(MessagesTest, EachPollTakesTheNextMessageUntilNoneIsLeft) {
    const std::string main = site_->urls().HostUrl(SiteHost::kMainSite);
    const std::string first = Poll("10001");
    EXPECT_EQ(Marked(first, "#mode="), "1");
    EXPECT_EQ(Marked(first, "title="), "新学期开课通知");
    EXPECT_EQ(Marked(first, "#Con="), "会计实务精讲班本周六开课,欢迎报名参加。");
    EXPECT_EQ(Marked(first, "#url="), main + "/news/new-term.html");

    const std::string second = Poll("10001");
    EXPECT_EQ(Marked(second, "#mode="), "2");
    EXPECT_EQ(Marked(second, "#url="), main + "/news/offer.html?from=push");
    const Fetched picture = Fetch(Marked(second, "#picUrl="));
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.body.substr(1, 3), "PNG");

    const std::string third = Poll("10001");
    EXPECT_EQ(Marked(third, "#mode="), "3");
    EXPECT_EQ(Marked(third, "#FDiyUrl="), main + "/push/diy/survey.html");
    EXPECT_EQ(Fetch(Marked(third, "#FDiyUrl=")).status, 200);

    EXPECT_EQ(Poll("10001"), "0");
    EXPECT_EQ(Poll("77777"), "0");
    EXPECT_EQ(Marked(Poll("10002"), "#url="), "");  // a message without a link
}

TEST_F(MessagesTest, RepliesAreInTheSiteCodePage) {
    const std::string raw = Post(SiteHost::kClientData, "/GetDiscuzPush.php", "mode=2&uid=10001");
    EXPECT_NE(raw.find(CodePageFromUtf8("新学期开课通知", "GBK")), std::string::npos);
    EXPECT_EQ(raw.find("新学期开课通知"), std::string::npos);
}

TEST_F(MessagesTest, QueuedMessagesFollowTheDataSet) {
    site_->state().QueuePush({"10004", "7", "", "", "", "", ""});
    EXPECT_EQ(Marked(Poll("10004"), "#mode="), "7");
    EXPECT_EQ(Poll("10004"), "0");
}

TEST_F(MessagesTest, AQuestionIsAcceptedOnlyWithEveryField) {
    const auto encoded = [](const std::string& text) { return UrlEncode(text, false, "GBK"); };
    const std::string form = "mode=1&acc=" + encoded("测试") + "&pwd=" + encoded("583017") +
                             "&tit=" + encoded("来自客户端的提问") +
                             "&con=" + encoded("第二章的例题没有听懂") + "&course=101";
    EXPECT_EQ(Ask(form), "1");
    EXPECT_EQ(Ask("mode=1&acc=" + encoded("测试") + "&pwd=583017&tit=x&con=&course=101"), "0");
    EXPECT_EQ(Ask("mode=1&acc=a&pwd=b&tit=c&con=d"), "0");
    const auto questions = site_->state().Questions();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0].account, "测试");
    EXPECT_EQ(questions[0].title, "来自客户端的提问");
    EXPECT_EQ(questions[0].content, "第二章的例题没有听懂");
    EXPECT_EQ(questions[0].course, "101");
}

}  // namespace
}  // namespace tessal::site::test
