#include "client/shell/member_messages.h"

#include <QMetaObject>

namespace tessal::client {
namespace {

constexpr const char* kDatabaseCaption = "连接数据库异常!";

}  // namespace

MemberMessages::MemberMessages(MemberMessagesContext context, ShutdownSteps& steps)
    : context_(std::move(context)), store_(context_.program_folder / kCacheDatabaseFile) {
    popup_windows_ = std::make_unique<PushWindows>(
        PushWindowsContext{context_.program_folder, context_.boxes, context_.log,
                           context_.open_page, context_.web_engine, context_.icon});
    manager_ = std::make_unique<MessageManager>(
        MessageManagerContext{context_.program_folder, &store_, context_.boxes, context_.log,
                              context_.open_page, context_.account, context_.icon});
    receiver_ = std::make_unique<gui::MessageReceiver>(
        [this](int message, std::uintptr_t, std::intptr_t) { OnMessage(message); }, nullptr);
    PushPollerContext poller;
    poller.site = context_.site;
    poller.program_folder = context_.program_folder;
    poller.store = &store_;
    poller.popups = &pending_;
    poller.hand_over = [link = receiver_->link()](PopupKind kind) {
        return link->Send(PopupMessage(kind));
    };
    poller.log = context_.log;
    poller.report_database_failure = [this](const std::string& text) {
        ReportDatabaseFailure(text);
    };
    poller_ = std::make_unique<PushPoller>(std::move(poller));
    steps.Add(ShutdownStage::kWindows, "push popups", [this] {
        windows_closed_ = true;
        receiver_->Close();
        popup_windows_->CloseAll();
    });
    steps.Add(ShutdownStage::kWindows, "message manager", [this] { manager_->Close(); });
    steps.Add(ShutdownStage::kWorkers, "push poller", [this] { poller_->Stop(); });
    steps.Add(ShutdownStage::kWorkers, "cache database", [this] { store_.Close(); });
}

MemberMessages::~MemberMessages() {
    receiver_->Close();
    poller_->Stop();
}

void MemberMessages::StartPolling(const std::string& account, const std::string& uid) {
    poller_->Start(account, uid);
}

void MemberMessages::OpenManager() {
    manager_->Open();
}

// A popup shows only when the poller left one pending for its kind. It is built once the
// poller's send has returned: a popup may show a box, whose own event loop may run the
// client's end, which joins the poller, and a poller still inside its send would never
// be joined.
void MemberMessages::OnMessage(int message) {
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture, PopupKind::kCustom}) {
        if (PopupMessage(kind) != message)
            continue;
        if (auto data = pending_.Take(kind)) {
            QMetaObject::invokeMethod(
                receiver_.get(),
                [this, kind, data = std::move(*data)] {
                    if (!windows_closed_)
                        popup_windows_->Show(kind, data);
                },
                Qt::QueuedConnection);
        }
    }
}

// The box waits for the member on the GUI thread; the poller goes on at once.
void MemberMessages::ReportDatabaseFailure(const std::string& text) {
    QMetaObject::invokeMethod(receiver_.get(), [this, text] {
        if (context_.stop != nullptr && context_.stop->raised())
            return;
        context_.boxes->Show(nullptr, QString::fromStdString(text), kDatabaseCaption);
    });
}

}  // namespace tessal::client
