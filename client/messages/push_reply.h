#pragma once

// The poll reply of "/GetDiscuzPush.php": a flat text of "#"-marked fields, already
// converted from the site code page to UTF-8. What a message is, how its link is
// completed, and which text is stored for it.

#include <optional>
#include <string>
#include <string_view>

namespace tessal::client {

struct PushMessage {
    std::string mode;         // "1" text, "2" picture, "3" custom; others stored, not shown
    std::string link;         // completed with the uid and "&from=client"
    std::string title;        // modes 1 and 2
    std::string content;      // modes 1 and 2
    std::string picture_url;  // mode 2
    std::string custom_url;   // mode 3
};

// The text after `marker` up to the next "#"; empty when the marker is missing or no
// "#" follows it.
std::string FieldValue(std::string_view reply, std::string_view marker);

// `link` + "?uid=" (or "&uid=" when it already has a "?") + uid + "&from=client".
std::string CompleteLink(std::string link, std::string_view uid);

// Nothing for an empty reply or "0"; else the fields the mode reads.
std::optional<PushMessage> ParsePushReply(std::string_view reply, std::string_view uid);

// The text a message is stored with: the content (modes 1, 2), "请双击获取详情" (mode 3),
// else empty.
std::string StoredText(const PushMessage& message);

}  // namespace tessal::client
