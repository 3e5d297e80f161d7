#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimerEvent>
#include <map>
#include <utility>
#include <vector>

#include "common/base/trace.h"
#include "common/gui/element_events.h"
#include "common/gui/event_filters.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"

namespace tessal::gui {
namespace {

constexpr const char* kWindowFilterName = "tessalWindowEvents";

// Key presses go to the focused element and climb to the window; the window's handler
// sees each press once, wherever in the window it was typed. A press seen again on an
// ancestor of the element that last had it is that press climbing, not a new one.
class WindowKeyFilter : public QObject {
public:
    WindowKeyFilter(QWidget* window, std::function<void(int)> handler)
        : QObject(window), window_(window), handler_(std::move(handler)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != window_)
            return false;
        const bool climbing = event == last_event_ && last_receiver_ && widget != last_receiver_ &&
                              widget->isAncestorOf(last_receiver_);
        last_event_ = event;
        last_receiver_ = widget;
        if (!climbing)
            handler_(VirtualKeyOf(static_cast<QKeyEvent*>(event)->key()));
        return false;
    }

private:
    QWidget* window_;
    std::function<void(int)> handler_;
    const QEvent* last_event_ = nullptr;
    QPointer<QWidget> last_receiver_;
};

// A window's WM_SIZE and WM_TIMER handlers.
class WindowEventFilter : public QObject {
public:
    explicit WindowEventFilter(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

    void Add(int code, EventHandler handler) { handlers_.emplace_back(code, std::move(handler)); }

    void Run(int code, int key = 0) {
        EventArgs args{code, QPoint(window_->width(), window_->height()), key};
        const auto handlers = handlers_;
        for (const auto& [bound, handler] : handlers) {
            if (bound == code)
                handler(args);
        }
    }

    void StartTimer(int id, int period_ms) { timers_.Start(*this, id, period_ms); }
    void StopTimer(int id) { timers_.Stop(*this, id); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Resize)
            Run(kWindowSize);
        return false;
    }

    void timerEvent(QTimerEvent* event) override {
        if (const auto id = timers_.IdOf(event->timerId()))
            Run(kWindowTimer, *id);
    }

private:
    QWidget* window_;
    std::vector<std::pair<int, EventHandler>> handlers_;
    NumberedTimers timers_;
};

WindowEventFilter* WindowFilterOf(QWidget* window, bool create) {
    return AttachedFilter<WindowEventFilter>(window, kWindowFilterName, create);
}

}  // namespace

void RegisterWindowKeyDown(QWidget* window, std::function<void(int key)> handler) {
    if (window != nullptr)
        new WindowKeyFilter(window, std::move(handler));
}

bool RegisterWindowEvent(QWidget* window, int code, EventHandler handler) {
    if (window == nullptr || !handler || (code != kWindowSize && code != kWindowTimer)) {
        Trace("window event " + std::to_string(code) + " refused: " +
              (window == nullptr ? "no window"
               : !handler        ? "no handler"
                                 : "never raised"));
        return false;
    }
    WindowFilterOf(window, true)->Add(code, std::move(handler));
    return true;
}

void SendWindowEvent(QWidget* window, int code) {
    if (WindowEventFilter* filter = WindowFilterOf(window, false))
        filter->Run(code);
}

void SetWindowTimer(QWidget* window, int id, int period_ms) {
    if (WindowEventFilter* filter = WindowFilterOf(window, true))
        filter->StartTimer(id, period_ms);
}

void KillWindowTimer(QWidget* window, int id) {
    if (WindowEventFilter* filter = WindowFilterOf(window, false))
        filter->StopTimer(id);
}

}  // namespace tessal::gui
