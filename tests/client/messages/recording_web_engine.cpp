// A stand-in for the web engine libewe.so: its views are labels that show, and keep in
// the property "requestedUrl", the last address loaded into them.

#include <QLabel>
#include <QString>

extern "C" __attribute__((visibility("default"))) void* eweCreateWebView(void* host) {
    if (host == nullptr)
        return nullptr;
    auto* view = new QLabel(static_cast<QWidget*>(host));
    view->setAlignment(Qt::AlignCenter);
    view->setWordWrap(true);
    view->setTextFormat(Qt::PlainText);
    view->setStyleSheet("QLabel { background: #FFFFFF; color: #4A5866; }");
    return view;
}

extern "C" __attribute__((visibility("default"))) void eweLoadURL(void* view, const char16_t* url) {
    if (view == nullptr || url == nullptr)
        return;
    auto* label = static_cast<QLabel*>(view);
    const QString address = QString::fromUtf16(url);
    label->setProperty("requestedUrl", address);
    label->setText(QStringLiteral("网页 ") + address);
}
