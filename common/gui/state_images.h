#pragma once

// Images and fills of an element by state (normal, mouse over, pressed, checked,
// unchecked, the plain background of a window). Every window sets them through here,
// so that one place decides how a state shows in Qt: a style sheet on the element.

#include <QColor>
#include <QString>
#include <QWidget>

namespace tessal::gui {

// Adds or replaces the image shown in `state` (a StateFlag), stretched over the element.
// A relative path resolves against the program folder, the current folder.
void AddStateImage(QWidget* element, int state, const QString& path);
void AddStateFill(QWidget* element, int state, const QColor& colour);
void ClearStateImages(QWidget* element);

// The usual button set: the images for normal, mouse over and pressed, replacing any.
void SetButtonImages(QWidget* element, const QString& normal, const QString& mouse_over,
                     const QString& pressed);

// The window's own background: one image for the plain state.
void SetWindowBackground(QWidget* window, const QString& path);

// The image path set for `state`; empty when none.
QString StateImage(const QWidget* element, int state);

}  // namespace tessal::gui
