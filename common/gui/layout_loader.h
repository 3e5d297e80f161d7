#pragma once

// Windows and item templates come from Qt Designer files at the paths the system names
// ("./Layout/layout.xml" and so on), read when the window is made, so that a missing or
// broken file takes the window's own failure path instead of stopping the program.

#include <QString>
#include <QWidget>

namespace tessal::gui {

// The widget the file describes, owned by `parent` (a top-level window when null, which
// the caller then owns, with its caption buttons' roles bound), or null when the file
// is missing or not a layout; `error`, when given, then says why.
QWidget* LoadLayout(const QString& path, QWidget* parent = nullptr, QString* error = nullptr);

// Whether the file loads as a layout (a template that is used only when it loads).
bool IsLoadableLayout(const QString& path);

}  // namespace tessal::gui
