#pragma once

// The question a member asks about the open course, as the site's question script takes
// it: a form in the site code page with a fixed title and posting account, and the reply
// as the member reads it.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessal::client {

inline constexpr const char* kQuestionPath = "/DiscuzPost.php";
// The editor's initial text; a question that still reads so was never written.
inline constexpr std::string_view kQuestionPlaceholder = "请输入您所遇到的问题";
inline constexpr std::string_view kQuestionTitle = "来自客户端的提问";
// Questions are posted under the site's own account, not the member's.
inline constexpr std::string_view kQuestionAccount = "测试";
inline constexpr std::string_view kQuestionPassword = "583017";
// The script keeps at most this many bytes of a question in the site code page.
inline constexpr std::size_t kQuestionMaxBytes = 2047;

inline constexpr const char* kQuestionSentText = "提交成功";
// 2047 bytes: 1023 Chinese characters, or twice as many letters and digits.
inline constexpr const char* kQuestionTooLongText = "问题太长，请删减后再提交";
// The site code page of Site.ini is unknown to the system: nothing could be sent right.
inline constexpr const char* kQuestionUnsendableText = "问题无法提交：站点编码设置有误";
// A reply longer than this is no answer of the question script; the box shows its start.
inline constexpr std::size_t kQuestionReplyShown = 500;
// Bytes of a reply read at most: more is a failure, and the box shows it as empty.
inline constexpr std::size_t kQuestionReplyLimit = 64 * 1024;

enum class QuestionCheck {
    kSend,
    kNothingAsked,  // empty or the untouched placeholder: nothing is sent or shown
    kTooLong,       // over kQuestionMaxBytes in the site code page: refused
    kUnsendable,    // the site code page cannot be converted to: refused
};

struct QuestionForm {
    QuestionCheck check = QuestionCheck::kNothingAsked;
    std::string body;  // only for kSend
};

// "mode=1&acc=...&pwd=...&tit=...&con=...&course=<id>": the four texts form-encoded from
// `code_page` bytes, the course id as it is.
QuestionForm BuildQuestionForm(std::string_view question, std::string_view course_id,
                               std::string_view code_page);

// What the result box says: "提交成功" for the reply "1", else the reply itself (empty
// when nothing came back), read from `code_page`, at most kQuestionReplyShown characters.
std::string QuestionReplyText(std::string_view reply, std::string_view code_page);

}  // namespace tessal::client
