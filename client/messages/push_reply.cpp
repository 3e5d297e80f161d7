#include "client/messages/push_reply.h"

#include "common/base/text_helpers.h"

namespace tessal::client {
namespace {

constexpr std::string_view kModeMarker = "#mode=";
constexpr std::string_view kLinkMarker = "#url=";
// The site writes "#title=", but the title has always been found by "title=" alone.
constexpr std::string_view kTitleMarker = "title=";
constexpr std::string_view kContentMarker = "#Con=";
constexpr std::string_view kPictureMarker = "#picUrl=";
constexpr std::string_view kCustomMarker = "#FDiyUrl=";
constexpr std::string_view kFieldEnd = "#";

}  // namespace

std::string FieldValue(std::string_view reply, std::string_view marker) {
    return TextBetween(reply, marker, kFieldEnd);
}

std::string CompleteLink(std::string link, std::string_view uid) {
    link += link.find('?') == std::string::npos ? "?uid=" : "&uid=";
    link += uid;
    link += "&from=client";
    return link;
}

std::optional<PushMessage> ParsePushReply(std::string_view reply, std::string_view uid) {
    if (reply.empty() || reply == "0")
        return std::nullopt;
    PushMessage message;
    message.mode = FieldValue(reply, kModeMarker);
    message.link = CompleteLink(FieldValue(reply, kLinkMarker), uid);
    if (message.mode == "1" || message.mode == "2") {
        message.title = FieldValue(reply, kTitleMarker);
        message.content = FieldValue(reply, kContentMarker);
    }
    if (message.mode == "2")
        message.picture_url = FieldValue(reply, kPictureMarker);
    if (message.mode == "3")
        message.custom_url = FieldValue(reply, kCustomMarker);
    return message;
}

std::string StoredText(const PushMessage& message) {
    if (message.mode == "1" || message.mode == "2")
        return message.content;
    if (message.mode == "3")
        return "请双击获取详情";
    return {};
}

}  // namespace tessal::client
