#pragma once

// The web view element `XWeb` and its web view handle. The toolkit's object type 87 is
// the class: an element is of that type when qobject_cast<XWeb*> takes it.
// The element is an empty widget that fills its layout cell; the first page loaded into
// its web view loads the web engine (EweLibrary) and puts the engine's view inside it,
// which then paints, follows the element's size, stops drawing while hidden and takes
// the member's mouse, wheel, keys and focus by itself. Before that the element costs
// nothing: the main window's element, which never shows a page, never starts the engine.
// GUI thread only.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "common/gui/web/ewe_library.h"

namespace tessal::gui {

class XWeb;

// What callers load pages into (the system's wke web view). It lives and goes with its
// element.
class WebView final {
public:
    WebView(XWeb& element, std::shared_ptr<EweLibrary> engine)
        : element_(element), engine_(std::move(engine)) {}
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // Loads `url` (the system's wkeLoadURL). The first page loads the engine and makes
    // the engine's view; false when either fails, and the element stays empty.
    bool LoadURL(const QString& url);
    // The engine's view; null until the first page.
    QWidget* engine_view() const { return view_; }

private:
    bool MakeEngineView();

    XWeb& element_;
    std::shared_ptr<EweLibrary> engine_;
    QPointer<QWidget> view_;
};

class XWeb final : public QWidget {
    Q_OBJECT
public:
    XWeb(int width, QWidget* parent, std::shared_ptr<EweLibrary> engine);
    WebView* web_view() { return &web_view_; }

private:
    friend class WebView;
    // The engine's view fills the element and takes its focus.
    void Adopt(QWidget* view);

    WebView web_view_;
};

// A web view element at (0, 0), `width` by 300, under `parent` (none allowed; a layout
// that takes it becomes its parent), that fills the layout cell it is added to. Null
// without an engine.
QWidget* XWeb_Create(int width, QWidget* parent, std::shared_ptr<EweLibrary> engine);

// The element's web view. For anything but a web view element: the toolkit's trace
// "在API:XWeb_GetWebView()中, 输入句柄可能无效[<element's ID>]." and null.
WebView* XWeb_GetWebView(QWidget* element);

}  // namespace tessal::gui
