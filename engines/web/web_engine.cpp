#include "engines/web/web_engine.h"

#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <QApplication>
#include <QThread>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace tessal::web {
namespace {

// The engine composes pages with OpenGL when the platform has it, sharing one context
// with the windows that show them. Linked into the program, Qt WebEngine makes that
// context as the application starts (some 60 MB and 70 ms on X11 with Mesa, for a page
// most runs never show); loaded here, the context is made now, before the first view.
// Qt warns that this is late; nothing has used OpenGL before the first view, so it is
// not. Without it the first view crashes on X11.
void ShareOpenGlContext() {
    QtWebEngineQuick::initialize();
}

// Online lessons start playing as their page opens, as they always did: the page's
// video is not held back until the member clicks it.
void ConfigureDefaultProfile() {
    QWebEngineSettings* settings = QWebEngineProfile::defaultProfile()->settings();
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
}

}  // namespace

bool StartEngine() {
    static bool started = false;
    if (started)
        return true;
    const auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || QThread::currentThread() != application->thread())
        return false;
    ShareOpenGlContext();
    ConfigureDefaultProfile();
    started = true;
    return true;
}

QWidget* MakeWebView(QWidget* host) {
    auto* view = new QWebEngineView(host);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    return view;
}

bool LoadPage(QWidget* view, const QString& url) {
    auto* web_view = qobject_cast<QWebEngineView*>(view);
    if (web_view == nullptr)
        return false;
    web_view->load(QUrl(url));
    return true;
}

}  // namespace tessal::web
