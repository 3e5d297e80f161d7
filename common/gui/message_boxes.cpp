#include "common/gui/message_boxes.h"

#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <cstdlib>

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

void LoggedMessageBoxes::Show(QWidget*, const QString& text, const QString& caption) {
    QFile log(file_);
    if (log.open(QIODevice::Append))
        log.write((caption + "|" + text + "\n").toUtf8());
}

MessageBoxes& ProgramMessageBoxes() {
    static ModalMessageBoxes modal;
    static const char* box_log = std::getenv("TESSAL_TEST_BOX_LOG");
    static LoggedMessageBoxes logged(QString::fromUtf8(box_log != nullptr ? box_log : ""));
    return box_log != nullptr ? static_cast<MessageBoxes&>(logged) : modal;
}

}  // namespace tessal::gui
