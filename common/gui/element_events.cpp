#include "common/gui/element_events.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimerEvent>
#include <QTreeView>
#include <QWheelEvent>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "common/base/trace.h"
#include "common/gui/event_filters.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"

namespace tessal::gui {
namespace {

constexpr const char* kFilterName = "tessalElementEvents";

// Every element code the layer raises; binding any other is refused.
bool IsRaisedElementCode(int code) {
    switch (code) {
        case kEventPaint:
        case kEventMouseMove:
        case kEventMouseStay:
        case kEventMouseLeave:
        case kEventMouseWheel:
        case kEventLeftButtonDown:
        case kEventLeftButtonUp:
        case kEventRightButtonDown:
        case kEventRightButtonUp:
        case kEventLeftDoubleClick:
        case kEventTimer:
        case kEventSetFocus:
        case kEventKillFocus:
        case kEventDestroy:
        case kEventButtonClick:
        case kEventSize:
        case kEventKeyDown:
        case kEventKeyUp:
        case kEventChar:
        case kEventSliderChange:
        case kEventTreeTemplateChoose:
        case kEventTreeTemplateCreated:
        case kEventTreeSelect:
        case kEventEditChange:
            return true;
        default:
            return false;
    }
}

// Codes only some kinds of element raise: a slider's position, the tree's events; a
// scroll area paints and turns its wheel in its viewport, not on itself.
bool RaisesOn(const QWidget* element, int code) {
    switch (code) {
        case kEventSliderChange:
            return qobject_cast<const QAbstractSlider*>(element) != nullptr;
        case kEventTreeTemplateChoose:
        case kEventTreeTemplateCreated:
        case kEventTreeSelect:
            return qobject_cast<const QTreeView*>(element) != nullptr;
        case kEventPaint:
        case kEventMouseWheel:
            return qobject_cast<const QAbstractScrollArea*>(element) == nullptr;
        default:
            return IsRaisedElementCode(code);
    }
}

// The handlers of one element, and the translation of Qt's events and signals to codes.
class ElementEventFilter : public QObject {
public:
    explicit ElementEventFilter(QWidget* element) : QObject(element), element_(element) {
        element->installEventFilter(this);
    }
    // The element is being destroyed (it deletes its children first): the last event.
    ~ElementEventFilter() override { Run(kEventDestroy); }

    void Add(int code, EventHandler handler) {
        if (code == kEventButtonClick || code == kEventEditChange || code == kEventSliderChange)
            ConnectSignal(code);
        handlers_.emplace_back(code, std::move(handler));
    }

    void Remove(int code) {
        std::erase_if(handlers_, [code](const auto& entry) { return entry.first == code; });
    }

    bool Run(EventArgs& args) {
        // A handler may bind or remove handlers: run a copy. One may delete the element
        // (and this filter with it): nothing runs for it after that.
        const auto handlers = handlers_;
        const QPointer<QObject> alive(this);
        for (const auto& [code, handler] : handlers) {
            if (code == args.code)
                handler(args);
            if (alive.isNull())
                break;
        }
        return args.handled;
    }

    bool Run(int code, QPoint point = {}, int key = 0) {
        EventArgs args{code, point, key};
        return Run(args);
    }

    void StartTimer(int id, int period_ms) { timers_.Start(*this, id, period_ms); }
    void StopTimer(int id) { timers_.Stop(*this, id); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != element_)
            return false;
        switch (event->type()) {
            case QEvent::Paint:
                return Paint();
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
            case QEvent::Wheel: {
                // The system's wheel turns up and down only.
                auto* wheel = static_cast<QWheelEvent*>(event);
                const int turn = wheel->angleDelta().y();
                return turn != 0 && Run(kEventMouseWheel, wheel->position().toPoint(), turn);
            }
            case QEvent::KeyPress:
                return KeyPress(static_cast<QKeyEvent*>(event));
            case QEvent::KeyRelease:
                return Run(kEventKeyUp, {}, VirtualKeyOf(static_cast<QKeyEvent*>(event)->key()));
            case QEvent::FocusIn:
                return Run(kEventSetFocus);
            case QEvent::FocusOut:
                return Run(kEventKillFocus);
            case QEvent::Resize:
                return Run(kEventSize, QPoint(element_->width(), element_->height()));
            default:
                return false;
        }
    }

    void timerEvent(QTimerEvent* event) override {
        if (const auto id = timers_.IdOf(event->timerId()))
            Run(kEventTimer, {}, *id);
    }

private:
    static QPoint MousePoint(QEvent* event) {
        return static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    static bool IsRight(QEvent* event) {
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    }

    // Handlers draw first; one that marks the event handled replaces the element's own
    // painting.
    bool Paint() {
        if (!Has(kEventPaint))
            return false;
        QPainter painter(element_);
        EventArgs args{kEventPaint};
        args.painter = &painter;
        return Run(args);
    }

    bool Has(int code) const {
        return std::any_of(handlers_.begin(), handlers_.end(),
                           [code](const auto& entry) { return entry.first == code; });
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
        if (code == kEventSliderChange) {
            auto* slider = qobject_cast<QAbstractSlider*>(element_);
            if (slider != nullptr && !slider_signal_) {
                slider_signal_ = true;
                connect(slider, &QAbstractSlider::valueChanged, this,
                        [this](int position) { Run(kEventSliderChange, {}, position); });
            }
            return;
        }
        ConnectEditSignal();
    }

    void ConnectEditSignal() {
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
    NumberedTimers timers_;
    bool button_signal_ = false;
    bool edit_signal_ = false;
    bool slider_signal_ = false;
};

ElementEventFilter* FilterOf(QWidget* element, bool create) {
    return AttachedFilter<ElementEventFilter>(element, kFilterName, create);
}

}  // namespace

bool RegisterEvent(QWidget* element, int code, EventHandler handler) {
    if (element == nullptr || !handler || !RaisesOn(element, code)) {
        Trace("event " + std::to_string(code) + " refused: " +
              (element == nullptr ? "no element"
               : !handler         ? "no handler"
                                  : "never raised on this element"));
        return false;
    }
    FilterOf(element, true)->Add(code, std::move(handler));
    return true;
}

void RemoveEvents(QWidget* element, int code) {
    if (ElementEventFilter* filter = FilterOf(element, false))
        filter->Remove(code);
}

void SendEvent(QWidget* element, int code) {
    EventArgs args{code};
    SendEvent(element, args);
}

// Paint handlers need the element's painter: a sent paint is a request to repaint.
bool SendEvent(QWidget* element, EventArgs& args) {
    if (args.code == kEventPaint && args.painter == nullptr) {
        if (element != nullptr)
            element->update();
        return false;
    }
    ElementEventFilter* filter = FilterOf(element, false);
    return filter != nullptr && filter->Run(args);
}

void PostEvent(QWidget* element, int code) {
    QMetaObject::invokeMethod(
        element, [guarded = QPointer<QWidget>(element), code] { SendEvent(guarded, code); },
        Qt::QueuedConnection);
}

void SetElementTimer(QWidget* element, int id, int period_ms) {
    if (ElementEventFilter* filter = FilterOf(element, true))
        filter->StartTimer(id, period_ms);
}

void KillElementTimer(QWidget* element, int id) {
    if (ElementEventFilter* filter = FilterOf(element, false))
        filter->StopTimer(id);
}

}  // namespace tessal::gui
