#pragma once

// Handlers bound to an element's events by their numeric codes (ElementEvent), and to
// a window's key-down event, as every window of the system binds them. Handlers run on
// the GUI thread.

#include <QPoint>
#include <QWidget>
#include <functional>

namespace tessal::gui {

struct EventArgs {
    int code = 0;
    QPoint point;          // mouse events: where, in the element
    int key = 0;           // key events: the virtual-key code; char events: the character
    bool handled = false;  // set by a handler to keep the element's own reaction away
};

using EventHandler = std::function<void(EventArgs&)>;

// Binds `handler` to `code` of `element`; several handlers of one code run in the order
// bound.
void RegisterEvent(QWidget* element, int code, EventHandler handler);
void RemoveEvents(QWidget* element, int code);

// Runs the handlers of `code` now (send) or once the GUI thread is back in its event
// loop (post), with empty arguments.
void SendEvent(QWidget* element, int code);
void PostEvent(QWidget* element, int code);

// Key down anywhere in `window` (the window's WM_KEYDOWN), with the virtual-key code.
void RegisterWindowKeyDown(QWidget* window, std::function<void(int key)> handler);

}  // namespace tessal::gui
