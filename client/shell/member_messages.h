#pragma once

// The member's push messages in the client: the cache database's message store, the
// push poller, the popups it announces to the main window (messages 2026, 2028, 2029)
// and the message manager of the main window's button. Made with the main window; the
// poller starts when the member is shown. Its shutdown steps: the popups, the manager
// and the main window's receiver in the windows stage; the poller, then the cache
// database, in the workers stage, so the poller never waits on a receiver the GUI
// thread has stopped serving, nor stores into a closed database.

#include <QIcon>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "client/messages/message_manager.h"
#include "client/messages/message_store.h"
#include "client/messages/pending_popups.h"
#include "client/messages/push_poller.h"
#include "client/messages/push_windows.h"
#include "client/shell/shutdown_steps.h"
#include "common/base/stop_signal.h"
#include "common/gui/message_boxes.h"
#include "common/gui/private_messages.h"
#include "common/gui/web/ewe_library.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

struct MemberMessagesContext {
    std::filesystem::path program_folder;
    SiteSettings site;
    gui::MessageBoxes* boxes = nullptr;
    std::shared_ptr<gui::EweLibrary> web_engine;
    QIcon icon;
    const StopSignal* stop = nullptr;
    std::function<void(const QString& url)> open_page;
    // The daily log; from any thread.
    std::function<void(const std::string& line)> log;
    // The account the member logged in with, UTF-8.
    std::function<std::string()> account;
};

class MemberMessages {
public:
    MemberMessages(MemberMessagesContext context, ShutdownSteps& steps);
    ~MemberMessages();

    // From the member display on; once.
    void StartPolling(const std::string& account, const std::string& uid);
    // The main window's button.
    void OpenManager();

    MessageStore& store() { return store_; }
    PushWindows& popups() { return *popup_windows_; }
    MessageManager& manager() { return *manager_; }

private:
    void OnMessage(int message);
    void ReportDatabaseFailure(const std::string& text);

    MemberMessagesContext context_;
    MessageStore store_;
    PendingPopups pending_;
    std::unique_ptr<PushWindows> popup_windows_;
    std::unique_ptr<MessageManager> manager_;
    std::unique_ptr<gui::MessageReceiver> receiver_;
    std::unique_ptr<PushPoller> poller_;
    bool windows_closed_ = false;  // the client's end closed the popups; none opens again
};

}  // namespace tessal::client
