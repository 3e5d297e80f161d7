#include "common/gui/message_boxes.h"

#include <QMessageBox>

namespace tessal::gui {

void ModalMessageBoxes::Show(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    // Windows without an owner stay on top, as the system's boxes without one do.
    if (owner == nullptr)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

}  // namespace tessal::gui
