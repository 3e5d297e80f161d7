#pragma once

// The popup data the push poller hands to the main window: one set per popup kind, each
// with its pending flag. The poller fills a set and raises its flag, then sends the
// kind's message (2026, 2028, 2029); the main window's handler takes the set, which
// clears the flag, and shows the popup only when it got one.

#include <mutex>
#include <optional>
#include <string>

namespace tessal::client {

enum class PopupKind { kText, kPicture, kCustom };

struct PopupData {
    std::string title;
    std::string content;
    std::string link;
    std::string picture_url;
    // Picture popup: "./cache/PushImg.png" was refreshed for this message (else the
    // popup shows "./cache/PushImg_def.png").
    bool picture_downloaded = false;
    std::string custom_url;  // custom popup
};

class PendingPopups {
public:
    void Put(PopupKind kind, PopupData data);
    // The pending set of `kind`, clearing its flag; nothing when none is pending.
    std::optional<PopupData> Take(PopupKind kind);

private:
    std::mutex mutex_;
    std::optional<PopupData> pending_[3];
};

// The private message that announces `kind`.
int PopupMessage(PopupKind kind);

}  // namespace tessal::client
