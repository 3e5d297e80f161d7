#pragma once

// A close the window manager asks for (the title bar's button, Alt+F4, the desktop
// session ending) runs the client's shutdown routine: the client does not quit when its
// last window closes, so a window that merely closed would leave it running, holding the
// account and heart-beating, with nothing on screen to bring it back.

#include <QWidget>
#include <functional>

namespace tessal::client {

// Routes the window manager's close requests for `window` to `on_close`; closes the
// program makes itself (QWidget::close) pass as they are.
void RouteCloseRequests(QWidget* window, std::function<void()> on_close);

}  // namespace tessal::client
