#include "common/gui/web/xweb.h"

#include <QVBoxLayout>
#include <string>

#include "common/base/trace.h"
#include "common/gui/elements.h"

namespace tessal::gui {

bool WebView::LoadURL(const QString& url) {
    if (view_.isNull() && !MakeEngineView())
        return false;
    return engine_->LoadURL(view_, url);
}

bool WebView::MakeEngineView() {
    QWidget* view = engine_->CreateWebView(&element_);
    if (view == nullptr) {
        Trace("XWeb: no web view, the page is not loaded");
        return false;
    }
    view_ = view;
    element_.Adopt(view);
    return true;
}

XWeb::XWeb(int width, QWidget* parent, std::shared_ptr<EweLibrary> engine)
    : QWidget(parent), web_view_(*this, std::move(engine)) {
    setGeometry(0, 0, width, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void XWeb::Adopt(QWidget* view) {
    layout()->addWidget(view);
    setFocusProxy(view);
    view->setVisible(true);
}

QWidget* XWeb_Create(int width, QWidget* parent, std::shared_ptr<EweLibrary> engine) {
    if (engine == nullptr) {
        Trace("XWeb_Create: no web engine");
        return nullptr;
    }
    return new XWeb(width, parent, std::move(engine));
}

WebView* XWeb_GetWebView(QWidget* element) {
    if (auto* web = qobject_cast<XWeb*>(element))
        return web->web_view();
    Trace("在API:XWeb_GetWebView()中, 输入句柄可能无效[" + std::to_string(ElementId(element)) +
          "].");
    return nullptr;
}

}  // namespace tessal::gui
