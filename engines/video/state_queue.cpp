#include "engines/video/state_queue.h"

#include <QCoreApplication>

namespace tessal::aplayer {

void StateQueue::Push(int previous, int state) {
    if (closed_)
        return;
    pending_.emplace_back(previous, state);
    if (delivery_queued_)
        return;
    delivery_queued_ = true;
    // The application, not the engine, carries the delivery: it outlives the engine,
    // and the queue itself stays alive for as long as a delivery is on its way.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self = shared_from_this()] { self->DeliverPending(); },
        Qt::QueuedConnection);
}

void StateQueue::DeliverAllAndClose() {
    closed_ = true;
    DeliverPending();
}

// Each change leaves the queue before its callback runs: a callback that destroys the
// engine, or runs an event loop of its own, delivers the rest in order from there.
void StateQueue::DeliverPending() {
    delivery_queued_ = false;
    const auto keep_alive = shared_from_this();
    while (!pending_.empty()) {
        const auto [previous, state] = pending_.front();
        pending_.pop_front();
        if (callback_ != nullptr)
            callback_(previous, state);
    }
}

}  // namespace tessal::aplayer
