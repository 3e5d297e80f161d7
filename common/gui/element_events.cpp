#include "common/gui/element_events.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <utility>
#include <vector>

#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"

namespace tessal::gui {
namespace {

constexpr const char* kFilterName = "tessalElementEvents";

// The handlers of one element, and the translation of Qt's events and signals to codes.
class ElementEventFilter : public QObject {
public:
    explicit ElementEventFilter(QWidget* element) : QObject(element), element_(element) {
        element->installEventFilter(this);
    }

    void Add(int code, EventHandler handler) {
        if (code == kEventButtonClick || code == kEventEditChange)
            ConnectSignal(code);
        handlers_.emplace_back(code, std::move(handler));
    }

    void Remove(int code) {
        std::erase_if(handlers_, [code](const auto& entry) { return entry.first == code; });
    }

    bool Run(EventArgs& args) {
        // A handler may bind or remove handlers: run a copy.
        const auto handlers = handlers_;
        for (const auto& [code, handler] : handlers) {
            if (code == args.code)
                handler(args);
        }
        return args.handled;
    }

    bool Run(int code, QPoint point = {}, int key = 0) {
        EventArgs args{code, point, key, false};
        return Run(args);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != element_)
            return false;
        switch (event->type()) {
            case QEvent::Enter:
                return Run(kEventMouseStay);
            case QEvent::Leave:
                return Run(kEventMouseLeave);
            case QEvent::MouseMove:
                return Run(kEventMouseMove, MousePoint(event));
            case QEvent::MouseButtonPress:
                return Run(IsRight(event) ? kEventRightButtonDown : kEventLeftButtonDown,
                           MousePoint(event));
            case QEvent::MouseButtonRelease:
                return Release(event);
            case QEvent::MouseButtonDblClick:
                return Run(kEventLeftDoubleClick, MousePoint(event));
            case QEvent::KeyPress:
                return KeyPress(static_cast<QKeyEvent*>(event));
            case QEvent::KeyRelease:
                return Run(kEventKeyUp, {}, VirtualKeyOf(static_cast<QKeyEvent*>(event)->key()));
            default:
                return false;
        }
    }

private:
    static QPoint MousePoint(QEvent* event) {
        return static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    static bool IsRight(QEvent* event) {
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    }

    // Elements that are not buttons click on a left release inside them.
    bool Release(QEvent* event) {
        const QPoint point = MousePoint(event);
        if (IsRight(event))
            return Run(kEventRightButtonUp, point);
        bool handled = Run(kEventLeftButtonUp, point);
        if (!button_signal_ && element_->rect().contains(point))
            handled = Run(kEventButtonClick, point) || handled;
        return handled;
    }

    bool KeyPress(QKeyEvent* key) {
        bool handled = Run(kEventKeyDown, {}, VirtualKeyOf(key->key()));
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).unicode() >= 0x20)
            handled = Run(kEventChar, {}, text.at(0).unicode()) || handled;
        else if (text.size() == 1 && VirtualKeyOf(key->key()) == kKeyEscape)
            handled = Run(kEventChar, {}, kKeyEscape) || handled;
        return handled;
    }

    void ConnectSignal(int code) {
        if (code == kEventButtonClick) {
            auto* button = qobject_cast<QAbstractButton*>(element_);
            if (button != nullptr && !button_signal_) {
                button_signal_ = true;
                connect(button, &QAbstractButton::clicked, this,
                        [this] { Run(kEventButtonClick); });
            }
            return;
        }
        if (edit_signal_)
            return;
        edit_signal_ = true;
        const auto changed = [this] { Run(kEventEditChange); };
        if (auto* line = qobject_cast<QLineEdit*>(element_))
            connect(line, &QLineEdit::textChanged, this, changed);
        else if (auto* text = qobject_cast<QTextEdit*>(element_))
            connect(text, &QTextEdit::textChanged, this, changed);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(element_))
            connect(plain, &QPlainTextEdit::textChanged, this, changed);
    }

    QWidget* element_;
    std::vector<std::pair<int, EventHandler>> handlers_;
    bool button_signal_ = false;
    bool edit_signal_ = false;
};

ElementEventFilter* FilterOf(QWidget* element, bool create) {
    if (element == nullptr)
        return nullptr;
    // The element owns its filter; the property only finds it again.
    auto* filter =
        static_cast<ElementEventFilter*>(element->property(kFilterName).value<QObject*>());
    if (filter == nullptr && create) {
        filter = new ElementEventFilter(element);
        element->setProperty(kFilterName, QVariant::fromValue<QObject*>(filter));
    }
    return filter;
}

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

}  // namespace

void RegisterEvent(QWidget* element, int code, EventHandler handler) {
    if (ElementEventFilter* filter = FilterOf(element, true))
        filter->Add(code, std::move(handler));
}

void RemoveEvents(QWidget* element, int code) {
    if (ElementEventFilter* filter = FilterOf(element, false))
        filter->Remove(code);
}

void SendEvent(QWidget* element, int code) {
    if (ElementEventFilter* filter = FilterOf(element, false))
        filter->Run(code);
}

void PostEvent(QWidget* element, int code) {
    QMetaObject::invokeMethod(
        element, [guarded = QPointer<QWidget>(element), code] { SendEvent(guarded, code); },
        Qt::QueuedConnection);
}

void RegisterWindowKeyDown(QWidget* window, std::function<void(int key)> handler) {
    if (window != nullptr)
        new WindowKeyFilter(window, std::move(handler));
}

}  // namespace tessal::gui
