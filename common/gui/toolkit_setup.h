#pragma once

// What every program does once its application object exists: the default font, the
// font the system names for Chinese text, and the C numeric locale the video engine
// needs.

#include <QFont>
#include <QString>

namespace tessal::gui {

// The font family the system's windows name for their text.
inline constexpr const char* kSystemFontFamily = "微软雅黑";

// Maps the system's font family to an installed CJK family, resets LC_NUMERIC to "C"
// (Qt sets the locale from the environment) and sets the application font to the
// system family at `point_size`.
void SetUpToolkit(int point_size = 9);

// The system family at `point_size`, as windows set it on single elements.
QFont SystemFont(int point_size);

}  // namespace tessal::gui
