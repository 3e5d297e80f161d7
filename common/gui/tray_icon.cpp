#include "common/gui/tray_icon.h"

#include <QSystemTrayIcon>

#include "common/gui/toolkit_codes.h"

namespace tessal::gui {
namespace {

int MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::MiddleClick:
            return kTrayLeftButtonDown;
        case QSystemTrayIcon::DoubleClick:
            return kTrayLeftDoubleClick;
        case QSystemTrayIcon::Context:
            return kTrayRightButtonUp;
        default:
            return 0;
    }
}

}  // namespace

TrayIcon::TrayIcon(const QString& icon_path, const QString& tip, std::function<void(int)> on_mouse)
    : icon_(std::make_unique<QSystemTrayIcon>(QIcon(icon_path))), on_mouse_(std::move(on_mouse)) {
    icon_->setToolTip(tip);
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (const int message = MouseMessageOf(reason); message && on_mouse_)
                             on_mouse_(message);
                     });
    icon_->show();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Remove() {
    icon_->hide();
}

bool TrayIcon::visible() const {
    return icon_->isVisible();
}

QString TrayIcon::tip() const {
    return icon_->toolTip();
}

}  // namespace tessal::gui
