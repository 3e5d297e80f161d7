#pragma once

// Handlers bound to an element's events by their numeric codes (ElementEvent), and to a
// window's events (WindowEvent), as every window of the system binds them. Handlers run
// on the GUI thread. Only the codes the layer raises can be bound: any other is refused
// (and traced), so a handler is never kept for an event that never comes.

#include <QPainter>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>

namespace tessal::gui {

struct EventArgs {
    int code = 0;
    // Mouse and wheel: where, in the element. Size: the new width and height.
    QPoint point{};
    // Keys: the virtual-key code; char: the character; wheel: the turn (120 a notch,
    // positive away from the member); timer: its id; slider: the new position; tree
    // events: the item.
    int key = 0;
    bool handled = false;         // set by a handler to keep the element's own reaction away
    QPainter* painter = nullptr;  // paint: draws on the element, before its own painting
    QWidget* object = nullptr;    // tree template created: the row the template made
    QString text{};               // tree template choose: a handler names the template
};

using EventHandler = std::function<void(EventArgs&)>;

// Binds `handler` to `code` of `element`; several handlers of one code run in the order
// bound; a handler that deletes the element ends the run. False, with a trace line, for
// a null element or handler, or a code the layer never raises on such an element (63 is
// a slider's, 121, 122 and 126 a tree view's; a scroll area raises no paint or wheel).
// Destroy (33) comes as the element is being destroyed, after its own class is gone
// (a kill-focus may come just before it): a handler frees what it owns and may look
// elements up, but must not use the element as what it was.
bool RegisterEvent(QWidget* element, int code, EventHandler handler);
void RemoveEvents(QWidget* element, int code);

// Runs the handlers of `code` now (send) or once the GUI thread is back in its event
// loop (post), with empty arguments; the second form with the caller's arguments, which
// handlers may fill in. True when a handler marked the event handled.
void SendEvent(QWidget* element, int code);
bool SendEvent(QWidget* element, EventArgs& args);
void PostEvent(QWidget* element, int code);

// The element's timer `id`: event kEventTimer every `period_ms` until killed or the
// element goes. Starting an id again restarts it.
void SetElementTimer(QWidget* element, int id, int period_ms);
void KillElementTimer(QWidget* element, int id);

// Key down anywhere in `window` (the window's WM_KEYDOWN), with the virtual-key code.
void RegisterWindowKeyDown(QWidget* window, std::function<void(int key)> handler);

// The window's WM_SIZE (kWindowSize, raised when its size changes and when sent) and
// WM_TIMER (kWindowTimer, with the timer's id in `key`). False, traced, for other codes.
bool RegisterWindowEvent(QWidget* window, int code, EventHandler handler);
void SendWindowEvent(QWidget* window, int code);
void SetWindowTimer(QWidget* window, int id, int period_ms);
void KillWindowTimer(QWidget* window, int id);

}  // namespace tessal::gui
