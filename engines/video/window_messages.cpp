#include "engines/video/window_messages.h"

namespace tessal::aplayer {
namespace {

constexpr std::uint32_t kVkBack = 8;
constexpr std::uint32_t kVkTab = 9;
constexpr std::uint32_t kVkReturn = 13;
constexpr std::uint32_t kVkEscape = 27;
constexpr std::uint32_t kVkSpace = 32;
constexpr std::uint32_t kVkPageUp = 33;
constexpr std::uint32_t kVkPageDown = 34;
constexpr std::uint32_t kVkEnd = 35;
constexpr std::uint32_t kVkHome = 36;
constexpr std::uint32_t kVkLeft = 37;
constexpr std::uint32_t kVkUp = 38;
constexpr std::uint32_t kVkRight = 39;
constexpr std::uint32_t kVkDown = 40;
constexpr std::uint32_t kVkDelete = 46;
constexpr std::uint32_t kVkF1 = 112;

}  // namespace

std::optional<std::uint32_t> VirtualKeyOf(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Backspace:
            return kVkBack;
        case Qt::Key_Tab:
            return kVkTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVkReturn;
        case Qt::Key_Escape:
            return kVkEscape;
        case Qt::Key_Space:
            return kVkSpace;
        case Qt::Key_PageUp:
            return kVkPageUp;
        case Qt::Key_PageDown:
            return kVkPageDown;
        case Qt::Key_End:
            return kVkEnd;
        case Qt::Key_Home:
            return kVkHome;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Delete:
            return kVkDelete;
        default:
            break;
    }
    // Letters and digits have the same codes in both worlds (upper-case letters).
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) ||
        (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))
        return static_cast<std::uint32_t>(qt_key);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12)
        return kVkF1 + static_cast<std::uint32_t>(qt_key - Qt::Key_F1);
    return std::nullopt;
}

std::optional<std::uint32_t> CharacterOf(int qt_key, const QString& text) {
    // Not every platform puts the control characters into the event's text.
    if (qt_key == Qt::Key_Escape)
        return kVkEscape;
    if (qt_key == Qt::Key_Space)
        return kVkSpace;
    if (qt_key == Qt::Key_Return || qt_key == Qt::Key_Enter)
        return kVkReturn;
    if (text.isEmpty())
        return std::nullopt;
    return static_cast<std::uint32_t>(text.front().unicode());
}

std::uintptr_t ButtonFlagsOf(Qt::MouseButtons buttons) {
    std::uintptr_t flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= 0x0001;
    if (buttons & Qt::RightButton)
        flags |= 0x0002;
    if (buttons & Qt::MiddleButton)
        flags |= 0x0010;
    return flags;
}

std::intptr_t PointParameter(QPoint point) {
    const auto x = static_cast<std::uint16_t>(static_cast<std::int16_t>(point.x()));
    const auto y = static_cast<std::uint16_t>(static_cast<std::int16_t>(point.y()));
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y) << 16) | x);
}

}  // namespace tessal::aplayer
