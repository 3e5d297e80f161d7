// The question form: its fields in the site code page, the length the script keeps,
// questions that are never sent, and the reply as the member reads it.

#include "client/catalogue/question_form.h"

#include <gtest/gtest.h>

#include <string>

namespace tessal::client {
namespace {

constexpr const char* kFixedFields =
    "mode=1&acc=%B2%E2%CA%D4&pwd=583017&tit=%C0%B4%D7%D4%BF%CD%BB%A7%B6%CB%B5%C4%CC%E1%CE%CA";

std::string Repeated(const std::string& unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += unit;
    return text;
}

TEST(QuestionFormTest, TheBodyCarriesTheFieldsInOrderInTheSiteCodePage) {
    struct Case {
        const char* question;
        const char* course_id;
        std::string body;
    };
    const Case cases[] = {
        // Two escapes per Chinese character in GBK.
        {"怎么安装", "7", std::string(kFixedFields) + "&con=%D4%F5%C3%B4%B0%B2%D7%B0&course=7"},
        // Marks of the form itself are escaped inside a field; line feeds travel.
        {"a b&c=d\n1+1?", "12",
         std::string(kFixedFields) + "&con=a%20b%26c%3Dd%0A1%2B1%3F&course=12"},
        // The course id goes as it is, whatever it holds.
        {"x", "3 4&y", std::string(kFixedFields) + "&con=x&course=3 4&y"},
        // The placeholder with anything more is a question.
        {"请输入您所遇到的问题?", "5",
         std::string(kFixedFields) +
             "&con=%C7%EB%CA%E4%C8%EB%C4%FA%CB%F9%D3%F6%B5%BD%B5%C4%CE%CA%CC%E2%3F&course=5"},
    };
    for (const Case& c : cases) {
        const QuestionForm form = BuildQuestionForm(c.question, c.course_id, "GBK");
        EXPECT_EQ(form.check, QuestionCheck::kSend) << c.question;
        EXPECT_EQ(form.body, c.body) << c.question;
    }
}

TEST(QuestionFormTest, AnotherSiteCodePageEncodesEveryTextField) {
    const QuestionForm form = BuildQuestionForm("安装", "9", "UTF-8");
    ASSERT_EQ(form.check, QuestionCheck::kSend);
    EXPECT_EQ(form.body,
              "mode=1&acc=%E6%B5%8B%E8%AF%95&pwd=583017"
              "&tit=%E6%9D%A5%E8%87%AA%E5%AE%A2%E6%88%B7%E7%AB%AF%E7%9A%84%E6%8F%90%E9%97%AE"
              "&con=%E5%AE%89%E8%A3%85&course=9");
}

// The limit counts site-code-page bytes, not UTF-8 bytes or characters.
TEST(QuestionFormTest, QuestionsOverTheScriptsLimitAreRefused) {
    const struct {
        std::string question;
        QuestionCheck check;
    } cases[] = {
        {Repeated("a", 2047), QuestionCheck::kSend},
        {Repeated("a", 2048), QuestionCheck::kTooLong},
        {Repeated("问", 1023) + "a", QuestionCheck::kSend},  // 2047 bytes in GBK
        {Repeated("问", 1024), QuestionCheck::kTooLong},     // 2048
    };
    for (const auto& c : cases) {
        const QuestionForm form = BuildQuestionForm(c.question, "1", "GBK");
        EXPECT_EQ(form.check, c.check) << c.question.size() << " UTF-8 bytes";
        EXPECT_EQ(form.body.empty(), c.check != QuestionCheck::kSend);
    }
}

TEST(QuestionFormTest, QuestionsThatCannotBeSentRightAreNotSent) {
    const struct {
        const char* question;
        const char* code_page;
        QuestionCheck check;
    } cases[] = {
        {"", "GBK", QuestionCheck::kNothingAsked},
        {"请输入您所遇到的问题", "GBK", QuestionCheck::kNothingAsked},
        {"问题", "NOPE", QuestionCheck::kUnsendable},  // a Site.ini with an unknown code page
    };
    for (const auto& c : cases) {
        const QuestionForm form = BuildQuestionForm(c.question, "1", c.code_page);
        EXPECT_EQ(form.check, c.check) << c.question;
        EXPECT_TRUE(form.body.empty());
    }
}

TEST(QuestionFormTest, OnlyTheReplyOneReadsAsSuccess) {
    const std::pair<std::string, std::string> cases[] = {
        {"1", "提交成功"}, {"0", "0"},
        {"", ""},          {"1\n", "1\n"},
        {" 1", " 1"},      {"\xD5\xCB\xBA\xC5\xB4\xED\xCE\xF3", "账号错误"},  // GBK from the site
    };
    for (const auto& [reply, text] : cases)
        EXPECT_EQ(QuestionReplyText(reply, "GBK"), text) << reply;
    // A page instead of an answer: its start only, never half a character.
    EXPECT_EQ(QuestionReplyText(Repeated("x", 2'000'000), "GBK"), Repeated("x", 500));
    EXPECT_EQ(QuestionReplyText(Repeated("\xCE\xCA", 1'000'000), "GBK"), Repeated("问", 500));
    EXPECT_EQ(QuestionReplyText(Repeated("x", 499) + Repeated("\xF0\x9F\x98\x80", 3), "UTF-8"),
              Repeated("x", 499));
}

}  // namespace
}  // namespace tessal::client
