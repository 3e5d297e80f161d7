// The entry points of libewe.so.

#include <QString>
#include <QWidget>

#include "engines/web/ewe.h"
#include "engines/web/web_engine.h"

#define EWE_EXPORT __attribute__((visibility("default")))

extern "C" {

EWE_EXPORT void* eweCreateWebView(void* host) {
    if (host == nullptr || !tessal::web::StartEngine())
        return nullptr;
    return tessal::web::MakeWebView(static_cast<QWidget*>(host));
}

EWE_EXPORT void eweLoadURL(void* view, const char16_t* url) {
    if (view == nullptr || url == nullptr)
        return;
    tessal::web::LoadPage(static_cast<QWidget*>(view), QString::fromUtf16(url));
}

}  // extern "C"
