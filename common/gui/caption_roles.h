#pragma once

// Caption buttons whose behaviour the layout gives them: a button with the dynamic
// property `role` "minimize", "maximize" (maximises, or restores a maximised window) or
// "close" acts on its window when clicked, without any code of the window's own.

#include <QWidget>

namespace tessal::gui {

inline constexpr const char* kRoleProperty = "role";

// Binds every button below `window` that carries a role.
void BindCaptionRoles(QWidget* window);

}  // namespace tessal::gui
