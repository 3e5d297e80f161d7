#include "common/gui/caption_roles.h"

#include <QAbstractButton>

namespace tessal::gui {
namespace {

void ToggleMaximised(QWidget* window) {
    if (window->isMaximized())
        window->showNormal();
    else
        window->showMaximized();
}

}  // namespace

void BindCaptionRoles(QWidget* window) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const QString role = button->property(kRoleProperty).toString();
        if (role == "minimize")
            QObject::connect(button, &QAbstractButton::clicked, window, &QWidget::showMinimized);
        else if (role == "maximize")
            QObject::connect(button, &QAbstractButton::clicked, window,
                             [window] { ToggleMaximised(window); });
        else if (role == "close")
            QObject::connect(button, &QAbstractButton::clicked, window, &QWidget::close);
    }
}

}  // namespace tessal::gui
