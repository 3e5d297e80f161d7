#pragma once

// A popup menu whose items carry the numeric IDs the windows' handlers compare with;
// choosing an item reports its ID to the owner window's menu-select handler.

#include <QMenu>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

namespace tessal::gui {

class PopupMenu {
public:
    // `on_select` runs on the GUI thread with the chosen item's ID.
    explicit PopupMenu(std::function<void(int item_id)> on_select);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void AddItem(int item_id, const QString& text);
    // Shows the menu at `global_point` without waiting for a choice.
    void Popup(const QPoint& global_point);
    // Chooses the item as a click would; false when there is no such item.
    bool Choose(int item_id);

    QMenu* menu() { return menu_.get(); }

private:
    std::unique_ptr<QMenu> menu_;
    std::function<void(int)> on_select_;
};

}  // namespace tessal::gui
