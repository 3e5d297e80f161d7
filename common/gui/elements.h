#pragma once

// Elements of a window, found by the numeric ID their layout gives them (the dynamic
// property `id`), and the few things every window does to them whatever their kind:
// show, hide, text, check state.

#include <QColor>
#include <QString>
#include <QWidget>

namespace tessal::gui {

inline constexpr const char* kIdProperty = "id";

// The element with `id` below `window`, or null; the first one in layout order when a
// broken layout repeats an ID. The rows inside a list or tree view are not searched
// (their templates reuse small ids): look a row's elements up from the row.
QWidget* FindElement(const QWidget* window, int id);

template <typename Element>
Element* FindElementAs(const QWidget* window, int id) {
    return qobject_cast<Element*>(FindElement(window, id));
}

// The ID an element carries; 0 when it has none.
int ElementId(const QObject* element);

// Show or hide elements of `window` by ID; missing IDs are skipped.
void ShowElements(const QWidget* window, std::initializer_list<int> ids, bool visible);

// The text of a text shape, edit or button; empty for other kinds and for null.
QString ElementText(const QWidget* element);
void SetElementText(QWidget* element, const QString& text);

// Check boxes, radio buttons and checkable buttons; false for other kinds.
bool IsChecked(const QWidget* element);
void SetChecked(QWidget* element, bool checked);

// Windows colours are 0x00BBGGRR: red in the low byte.
QColor ColourFromBgr(unsigned bgr);

}  // namespace tessal::gui
