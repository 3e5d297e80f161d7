#pragma once

// Qt input on the video window, translated to the Windows messages and key codes that
// the player's message callback reads.

#include <QPoint>
#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

namespace tessal::aplayer {

// The virtual-key code of a Qt key; nothing for keys the player has no code for.
std::optional<std::uint32_t> VirtualKeyOf(int qt_key);
// The character of a key press as WM_CHAR carries it; nothing for keys without one.
std::optional<std::uint32_t> CharacterOf(int qt_key, const QString& text);
// MK_LBUTTON, MK_RBUTTON, MK_MBUTTON flags of the buttons held.
std::uintptr_t ButtonFlagsOf(Qt::MouseButtons buttons);
// x in the low and y in the high 16 bits, each as a signed 16-bit value.
std::intptr_t PointParameter(QPoint point);

}  // namespace tessal::aplayer
