#pragma once

// The push poller: from the member display on, asks the client data host for a message
// at once and then every five minutes, hands each message to the main window and
// stores it. One thread; Stop wakes it from its wait and joins it, so the client's end
// never waits out a poll interval.

#include <atomic>
#include <functional>
#include <string>

#include "client/messages/message_store.h"
#include "client/messages/pending_popups.h"
#include "client/messages/push_reply.h"
#include "common/base/stoppable_thread.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

struct PushPollerContext {
    SiteSettings site;
    std::filesystem::path program_folder;
    MessageStore* store = nullptr;
    PendingPopups* popups = nullptr;
    // Sends the kind's message to the main window and waits until it is handled; false
    // once the window's receiver is closed. Called on the poller thread.
    std::function<bool(PopupKind kind)> hand_over;
    // The daily log; from the poller thread.
    std::function<void(const std::string& line)> log;
    // Shows "Open cachedatabase fail:%s" with the caption "连接数据库异常!"; from the poller
    // thread, must not wait for the member.
    std::function<void(const std::string& text)> report_database_failure;
    // The local time a message arrives (the clock when empty); tests fix it.
    std::function<std::tm()> now;
};

class PushPoller {
public:
    explicit PushPoller(PushPollerContext context);
    ~PushPoller();  // stops
    PushPoller(const PushPoller&) = delete;
    PushPoller& operator=(const PushPoller&) = delete;

    // Starts polling for the member `account` with `uid`; once only. False after Stop.
    bool Start(const std::string& account, const std::string& uid);
    // Ends the wait (and a request in flight) at once and joins the thread.
    void Stop();
    // Polls once now, on the calling thread (tests).
    void PollOnce(const std::string& account, const std::string& uid);

private:
    void Run(std::string account, std::string uid);
    std::string FetchReply(const std::string& uid);
    void Announce(const PushMessage& message);
    bool DownloadPicture(const std::string& url);
    void Store(const std::string& account, const PushMessage& message);
    void Log(const std::string& line) const;

    PushPollerContext context_;
    std::atomic<bool> started_ = false;  // polling starts once
    StoppableThread thread_;
};

}  // namespace tessal::client
