#include "client/messages/push_popup.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <algorithm>

#include "client/messages/web_link.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kFailureCaption = "CreatePushWndFail";
constexpr const char* kLinkRefused = " link is not a web page:";

}  // namespace

PushPopup::PushPopup(const PushWindowsContext& context, const char* layout, const char* failure)
    : context_(context), layout_(layout), failure_(failure) {}

PushPopup::~PushPopup() {
    Close();
}

QString PushPopup::Path(const char* relative) const {
    return QString::fromStdString((context_.program_folder / relative).string());
}

bool PushPopup::IsOpen() const {
    return window_ != nullptr && window_->isVisible();
}

void PushPopup::Close() {
    delete window_.data();
}

void PushPopup::Show(const PopupData& data, int slot) {
    Close();
    QWidget* window = Load();
    if (window == nullptr)
        return;
    window_ = window;
    slot_ = slot;
    Frame(window);
    Fill(window, data);
    Place(window, slot);
    window->show();
}

QWidget* PushPopup::Load() const {
    QWidget* window = LoadLayout(Path(layout_));
    if (window == nullptr) {
        context_.boxes->Show(nullptr, failure_, kFailureCaption);
        context_.log(failure_);
    }
    return window;
}

// Frameless with its shadow, above other windows, without a taskbar entry, destroyed
// when closed; it does not take the focus from what the member is doing.
void PushPopup::Frame(QWidget* window) const {
    window->setWindowIcon(context_.icon);
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    window->setAttribute(Qt::WA_X11NetWmWindowTypeNotification, true);
    SetFramedWindow(window, Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    if (QLayout* layout = window->layout())
        layout->activate();
}

// The lower right corner of the work area, `slot` own heights up. A screen too low for
// that many starts a new column to the left, so no popup covers another's close button.
void PushPopup::Place(QWidget* window, int slot) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->size();
    const int rows = std::max(1, area.height() / std::max(1, size.height()));
    const int column = slot / rows;
    const int row = slot % rows;
    const int y = area.y() + area.height() - (row + 1) * size.height();
    window->move(area.x() + area.width() - (column + 1) * size.width(), std::max(area.y(), y));
}

void PushPopup::BindOpenButton(QWidget* window, const std::string& link, const char* handler_name) {
    RegisterEvent(FindElement(window, 3), kEventButtonClick,
                  [this, link, handler_name](EventArgs& args) {
                      args.handled = true;
                      OpenAndClose(link, handler_name);
                  });
}

// Links come from the server: only a web page is handed to the browser. The popup goes
// either way; it is closed, not deleted, as the click is still being delivered.
void PushPopup::OpenAndClose(const std::string& link, const char* handler_name) {
    if (IsWebLink(link))
        context_.open_page(QString::fromStdString(link));
    else
        context_.log(handler_name + std::string(kLinkRefused) + link);
    if (window_ != nullptr)
        window_->close();
}

}  // namespace tessal::client
