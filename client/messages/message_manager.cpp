#include "client/messages/message_manager.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTreeView>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kCreateFailure = "CreatehWINDOW_MessageManagerFail";
constexpr const char* kTitle = "消息管理器";
constexpr const char* kDatabaseFailure = "Open cachedatabase fail:";
constexpr const char* kDatabaseCaption = "连接数据库异常!";
constexpr int kRowHeight = 90;

}  // namespace

MessageManager::MessageManager(MessageManagerContext context) : context_(std::move(context)) {}

MessageManager::~MessageManager() {
    Close();
}

QWidget* MessageManager::window() const {
    return window_;
}

QString MessageManager::Path(const char* relative) const {
    return QString::fromStdString((context_.program_folder / relative).string());
}

QWidget* MessageManager::Element(int id) const {
    return FindElement(window_, id);
}

void MessageManager::Open() {
    page_index_ = 0;
    if (window_ != nullptr && window_->isVisible()) {
        if (window_->isMinimized())
            window_->showNormal();
        window_->raise();
        window_->activateWindow();
        return;
    }
    Close();  // a window being closed is not brought back
    if (!Create())
        return;
    LoadFirstPage();
    if (window_ != nullptr)  // the client may have ended while a box was open
        Frame();
}

void MessageManager::Close() {
    delete window_.data();
    list_ = nullptr;
}

bool MessageManager::Create() {
    QWidget* window = LoadLayout(Path(kMessageManagerLayout));
    if (window == nullptr) {
        context_.log(kCreateFailure);
        return false;
    }
    window_ = window;
    window->setWindowTitle(kTitle);
    window->setWindowIcon(context_.icon);
    // Its own close button destroys it; the next opening makes it again.
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    total_count_ = 0;
    listed_type_ = 1;
    BindButtons();
    SetUpList();
    return true;
}

void MessageManager::BindButtons() {
    const auto on_click = [this](int id, void (MessageManager::*handler)()) {
        if (QWidget* element = Element(id))
            RegisterEvent(element, kEventButtonClick, [this, handler](EventArgs& args) {
                args.handled = true;
                (this->*handler)();
            });
    };
    on_click(1, &MessageManager::OnReload);
    on_click(2, &MessageManager::OnDelete);
    on_click(7, &MessageManager::OnPreviousPage);
    on_click(8, &MessageManager::OnNextPage);
}

void MessageManager::SetUpList() {
    auto* view = qobject_cast<QTreeView*>(Element(5));
    if (view == nullptr)
        return;
    view->setRootIsDecorated(false);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_ = new TemplateTree(view);
    list_->SetItemTemplate(Path(kMessageManagerItem));
    list_->SetItemHeights(kRowHeight, kRowHeight);
    for (const char* column : {"name", "name2", "name3"})
        list_->AddColumn(column);
    RegisterEvent(view->viewport(), kEventLeftDoubleClick,
                  [this](EventArgs& args) { OnListBoxLButtonDBClick(args.point); });
    RegisterEvent(view, kEventTreeTemplateCreated,
                  [this](EventArgs& args) { MarkRow(args.object, args.key == list_->Selected()); });
    RegisterEvent(view, kEventTreeSelect, [this](EventArgs&) { MarkSelected(); });
}

// The count is read once here: paging goes by it until the window is made again.
void MessageManager::LoadFirstPage() {
    std::string error;
    if (!context_.store->Open(error)) {
        const std::string text = kDatabaseFailure + error;
        context_.log(text);
        context_.boxes->Show(nullptr, QString::fromStdString(text), kDatabaseCaption);
        return;
    }
    total_count_ = context_.store->Count(context_.account(), 1, error);
    if (total_count_ < 0) {
        total_count_ = 0;
        ReportQueryFailure(error);
        if (window_ == nullptr)
            return;
    }
    ShowElement(7, false);
    ShowElement(8, total_count_ > kMessagePageRows);
    ShowPage(1, 0);
}

// Shadowed, above the main window (which stays on top), in the middle of the work area.
void MessageManager::Frame() {
    SetFramedWindow(window_, Shadow{3, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->move(area.center() - window_->rect().center());
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace tessal::client
