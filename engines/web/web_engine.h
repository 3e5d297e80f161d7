#pragma once

// What libewe.so does behind its entry points: start Qt WebEngine once, make views, load
// pages. GUI thread only.

#include <QString>
#include <QWidget>

namespace tessal::web {

// Starts the engine once per process; later calls answer at once. False when there is no
// application object to start it in.
bool StartEngine();

// A web view with no page, child of `host`: no browser context menu of its own (the
// page gets its right button, as in the system's windowless view).
QWidget* MakeWebView(QWidget* host);

// Loads `url` into a view MakeWebView made; false for anything else.
bool LoadPage(QWidget* view, const QString& url);

}  // namespace tessal::web
