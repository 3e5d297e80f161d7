#include "client/catalogue/question_form.h"

#include <algorithm>

#include "common/base/text_codec.h"
#include "common/net/url.h"

namespace tessal::client {
namespace {

std::string Field(std::string_view text, std::string_view code_page) {
    return UrlEncode(text, false, code_page);
}

}  // namespace

QuestionForm BuildQuestionForm(std::string_view question, std::string_view course_id,
                               std::string_view code_page) {
    if (question.empty() || question == kQuestionPlaceholder)
        return {QuestionCheck::kNothingAsked, {}};
    const std::string converted = CodePageFromUtf8(question, code_page);
    if (converted.empty())
        return {QuestionCheck::kUnsendable, {}};
    if (converted.size() > kQuestionMaxBytes)
        return {QuestionCheck::kTooLong, {}};
    std::string body = "mode=1";
    body += "&acc=" + Field(kQuestionAccount, code_page);
    body += "&pwd=" + Field(kQuestionPassword, code_page);
    body += "&tit=" + Field(kQuestionTitle, code_page);
    body += "&con=" + Field(question, code_page);
    body += "&course=";
    body += course_id;
    return {QuestionCheck::kSend, std::move(body)};
}

std::string QuestionReplyText(std::string_view reply, std::string_view code_page) {
    if (reply == "1")
        return kQuestionSentText;
    // Two bytes a character at most in the code page: enough for what is shown.
    reply = reply.substr(0, 4 * kQuestionReplyShown);
    const std::u16string text = WideFromUtf8(Utf8FromCodePage(reply, code_page));
    std::size_t shown = std::min(text.size(), kQuestionReplyShown);
    // Never half a character.
    if (shown < text.size() && shown > 0 && text[shown - 1] >= 0xD800 && text[shown - 1] < 0xDC00)
        --shown;
    return Utf8FromWide(std::u16string_view(text).substr(0, shown));
}

}  // namespace tessal::client
