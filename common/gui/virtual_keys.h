#pragma once

// Windows virtual-key codes for Qt keys, so that handlers compare with the numbers the
// system uses (13 Enter, 27 Escape, 32 space, 37 and 39 the left and right arrows).

namespace tessal::gui {

inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

// The virtual-key code of `qt_key` (a Qt::Key); 0 for keys without one.
int VirtualKeyOf(int qt_key);

}  // namespace tessal::gui
