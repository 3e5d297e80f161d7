#include "common/gui/message_boxes.h"

#include <QMessageBox>
#include <QPointer>

namespace tessal::gui {

// On the heap: an owner destroyed while the box shows (the shutdown routine closes
// windows from inside the box's event loop) takes the box with it, and the box ends.
void ModalMessageBoxes::Show(QWidget* owner, const QString& text, const QString& caption) {
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    // Windows without an owner stay on top, as the system's boxes without one do.
    if (owner == nullptr)
        box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->exec();
    delete box.data();
}

}  // namespace tessal::gui
