#include "common/gui/virtual_keys.h"

#include <Qt>

namespace tessal::gui {

int VirtualKeyOf(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Down:
            return kKeyDown;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Delete:
            return 46;
        default:
            break;
    }
    // Letters and digits share their upper-case ASCII codes in both.
    if ((qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) ||
        (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z))
        return qt_key;
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12)
        return 112 + (qt_key - Qt::Key_F1);
    return 0;
}

}  // namespace tessal::gui
