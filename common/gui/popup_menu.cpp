#include "common/gui/popup_menu.h"

#include <QAction>

namespace tessal::gui {

PopupMenu::PopupMenu(std::function<void(int item_id)> on_select)
    : menu_(std::make_unique<QMenu>()), on_select_(std::move(on_select)) {
    QObject::connect(menu_.get(), &QMenu::triggered, menu_.get(), [this](QAction* action) {
        if (on_select_)
            on_select_(action->data().toInt());
    });
}

PopupMenu::~PopupMenu() = default;

void PopupMenu::AddItem(int item_id, const QString& text) {
    menu_->addAction(text)->setData(item_id);
}

void PopupMenu::Popup(const QPoint& global_point) {
    menu_->popup(global_point);
}

bool PopupMenu::Choose(int item_id) {
    for (QAction* action : menu_->actions()) {
        if (action->data().toInt() == item_id) {
            action->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace tessal::gui
