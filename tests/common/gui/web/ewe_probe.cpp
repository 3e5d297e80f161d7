// libewe_probe.so, for the tests only: looks into the pages of libewe.so's views, which
// the programs never need to. The tests load it after libewe.so, so that Qt WebEngine
// is mapped and started the way the programs map and start it, and never linked.

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonValue>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cstring>
#include <memory>

#define EWE_EXPORT __attribute__((visibility("default")))

extern "C" {

// Runs `script` in the page of `view` and writes its value as JSON (UTF-8, ending with a
// 0, cut to `size`) into `result`. False when the view is not a web view or the page did
// not answer within `timeout_ms`.
EWE_EXPORT bool eweProbeEvaluate(void* view, const char* script, char* result, int size,
                                 int timeout_ms) {
    auto* web_view = qobject_cast<QWebEngineView*>(static_cast<QWidget*>(view));
    if (web_view == nullptr || size <= 0)
        return false;
    // The page may answer after the wait is over: what it answers into outlives the wait.
    struct Answer {
        QByteArray text;
        bool given = false;
        QPointer<QEventLoop> loop;
    };
    QEventLoop loop;
    auto answer = std::make_shared<Answer>();
    answer->loop = &loop;
    web_view->page()->runJavaScript(QString::fromUtf8(script), [answer](const QVariant& value) {
        answer->text =
            QJsonDocument::fromVariant(QVariantList{value}).toJson(QJsonDocument::Compact);
        answer->given = true;
        if (answer->loop)
            answer->loop->quit();
    });
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    if (!answer->given)
        loop.exec();
    if (!answer->given)
        return false;
    // "[value]": the value alone.
    const QByteArray text = answer->text.mid(1, answer->text.size() - 2);
    const auto length = std::min<qsizetype>(text.size(), size - 1);
    std::memcpy(result, text.constData(), static_cast<std::size_t>(length));
    result[length] = '\0';
    return true;
}

// True when the page of `view` keeps nothing on disk (no cookies, cache or storage).
EWE_EXPORT bool eweProbeOffTheRecord(void* view) {
    auto* web_view = qobject_cast<QWebEngineView*>(static_cast<QWidget*>(view));
    return web_view != nullptr && web_view->page()->profile()->isOffTheRecord();
}

}  // extern "C"
