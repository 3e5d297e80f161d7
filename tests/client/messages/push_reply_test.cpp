// The poll reply, the completed link, the stored text, which links are ever opened, and
// the popup data handed to the main window.

#include "client/messages/push_reply.h"

#include <gtest/gtest.h>

#include <ostream>

#include "client/messages/pending_popups.h"
#include "client/messages/web_link.h"

namespace tessal::client {
namespace {

PushMessage Expect(const char* mode, const char* link, const char* title = "",
                   const char* content = "", const char* picture = "", const char* custom = "") {
    return {mode, link, title, content, picture, custom};
}

PopupData Titled(const char* title) {
    PopupData data;
    data.title = title;
    return data;
}

struct ReplyCase {
    const char* name;
    const char* reply;
    PushMessage expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReplyCase& reply_case, std::ostream* out) {
    *out << reply_case.name;
}

class PushReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(PushReplyTest, ReadsTheFieldsOfItsMode) {
    const auto message = ParsePushReply(GetParam().reply, "10001");
    ASSERT_TRUE(message.has_value());
    const PushMessage& expected = GetParam().expected;
    EXPECT_EQ(message->mode, expected.mode);
    EXPECT_EQ(message->link, expected.link);
    EXPECT_EQ(message->title, expected.title);
    EXPECT_EQ(message->content, expected.content);
    EXPECT_EQ(message->picture_url, expected.picture_url);
    EXPECT_EQ(message->custom_url, expected.custom_url);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PushReplyTest,
    ::testing::Values(
        ReplyCase{"TextWithoutLink", "#mode=1#url=#title=T1#Con=C1#picUrl=#FDiyUrl=#",
                  Expect("1", "?uid=10001&from=client", "T1", "C1", "", "")},
        ReplyCase{"PictureLinkWithQuery",
                  "#mode=2#url=http://h/o.html?id=8#title=T2#Con=C2#picUrl=http://h/p.png#"
                  "FDiyUrl=#",
                  Expect("2", "http://h/o.html?id=8&uid=10001&from=client", "T2", "C2",
                         "http://h/p.png", "")},
        ReplyCase{"CustomReadsOnlyItsUrl",
                  "#mode=3#url=http://h/s#title=T3#Con=C3#picUrl=http://h/p.png#FDiyUrl=http://"
                  "h/d#",
                  Expect("3", "http://h/s?uid=10001&from=client", "", "", "", "http://h/d")},
        ReplyCase{"LastFieldWithoutClosingMark", "#mode=1#url=http://h/n#title=T#Con=open end",
                  Expect("1", "http://h/n?uid=10001&from=client", "T", "", "", "")},
        ReplyCase{"OtherModeKeepsOnlyModeAndLink", "#mode=7#url=http://h/x#title=T#Con=C#",
                  Expect("7", "http://h/x?uid=10001&from=client", "", "", "", "")},
        ReplyCase{"EmptyMode", "#mode=#url=#title=T#Con=C#",
                  Expect("", "?uid=10001&from=client", "", "", "", "")},
        ReplyCase{"NoMarkersAtAll", "<html>error</html>", Expect("", "?uid=10001&from=client")},
        // The title marker has no "#" of its own, as the site always had it.
        ReplyCase{"TitleMarkerWithoutHash", "#mode=1#url=#Con=C#xtitle=T#",
                  Expect("1", "?uid=10001&from=client", "T", "C", "", "")},
        ReplyCase{"Utf8Text", "#mode=1#url=#title=新学期#Con=本周六开课#",
                  Expect("1", "?uid=10001&from=client", "新学期", "本周六开课", "", "")}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST(PushReply, EmptyOrZeroReplyIsNoMessage) {
    EXPECT_FALSE(ParsePushReply("", "10001").has_value());
    EXPECT_FALSE(ParsePushReply("0", "10001").has_value());
    EXPECT_TRUE(ParsePushReply("00", "10001").has_value());
}

TEST(WebLink, OnlyHttpAndHttpsWithHost) {
    const struct {
        const char* url;
        bool web;
    } cases[] = {
        {"http://example.com", true},
        {"https://example.com/a?b=c#d", true},
        {"HTTP://x", true},
        {"Https://x:8080/", true},
        {"http://user@host/p", true},
        {"http://", false},
        {"https:///path", false},
        {"http://:80/", false},
        {"http://user@/p", false},
        {"http://?uid=1", false},
        {"http:// bad/", false},
        {"http:/example.com", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"tessal://open", false},
        {"ftp://example.com/", false},
        {"?uid=10001&from=client", false},
        {"", false},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(IsWebLink(entry.url), entry.web) << entry.url;
}

TEST(PendingPopups, TakeClearsOnlyItsKind) {
    PendingPopups popups;
    EXPECT_FALSE(popups.Take(PopupKind::kText).has_value());
    popups.Put(PopupKind::kText, Titled("old"));
    popups.Put(PopupKind::kText, Titled("new"));
    popups.Put(PopupKind::kPicture, Titled("picture"));
    const auto text = popups.Take(PopupKind::kText);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->title, "new");
    EXPECT_FALSE(popups.Take(PopupKind::kText).has_value());
    EXPECT_FALSE(popups.Take(PopupKind::kCustom).has_value());
    ASSERT_TRUE(popups.Take(PopupKind::kPicture).has_value());
}

}  // namespace
}  // namespace tessal::client
