#pragma once

// Images and fills of an element by state (normal, mouse over, pressed, checked,
// unchecked, the plain background of a window), and its text colour. Every window sets
// them through here, so that one place decides how they show in Qt: a style sheet on
// the element, added to the style its layout gave it.

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

// The text colour of a text shape, link or button; it wins over the layout's own style.
void SetTextColour(QWidget* element, const QColor& colour);

// The image path set for `state`; empty when none.
QString StateImage(const QWidget* element, int state);

}  // namespace tessal::gui
