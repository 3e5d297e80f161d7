#pragma once

// What the element and window event filters share: finding the one filter a widget owns,
// and timers the system numbers itself, kept apart from Qt's own timer ids.

#include <QObject>
#include <QVariant>
#include <QWidget>
#include <map>
#include <optional>

namespace tessal::gui {

// The widget's filter of this kind, made on first use when `create`; the widget owns it,
// the property `name` only finds it again.
template <typename Filter>
Filter* AttachedFilter(QWidget* widget, const char* name, bool create) {
    if (widget == nullptr)
        return nullptr;
    auto* filter = static_cast<Filter*>(widget->property(name).value<QObject*>());
    if (filter == nullptr && create) {
        filter = new Filter(widget);
        widget->setProperty(name, QVariant::fromValue<QObject*>(filter));
    }
    return filter;
}

// The owner's timers by the system's ids; starting an id again restarts it.
class NumberedTimers {
public:
    void Start(QObject& owner, int id, int period_ms) {
        Stop(owner, id);
        ids_[owner.startTimer(period_ms)] = id;
    }
    void Stop(QObject& owner, int id) {
        for (auto it = ids_.begin(); it != ids_.end(); ++it) {
            if (it->second == id) {
                owner.killTimer(it->first);
                ids_.erase(it);
                return;
            }
        }
    }
    // The system's id of Qt's timer `timer_id`, when it is one of these.
    std::optional<int> IdOf(int timer_id) const {
        const auto found = ids_.find(timer_id);
        return found != ids_.end() ? std::optional<int>(found->second) : std::nullopt;
    }

private:
    std::map<int, int> ids_;  // Qt's timer id to the system's
};

}  // namespace tessal::gui
