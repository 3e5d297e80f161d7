#include "common/gui/private_messages.h"

#include <QCoreApplication>
#include <QThread>

namespace tessal::gui {

struct MessageLink::Call {
    enum class State { kQueued, kRunning, kDone, kAbandoned };
    int message = 0;
    std::uintptr_t first = 0;
    std::intptr_t second = 0;
    State state = State::kQueued;
};

MessageLink::MessageLink(MessageReceiver* receiver, MessageHandler handler)
    : receiver_(receiver), handler_(std::move(handler)) {}

bool MessageLink::Send(int message, std::uintptr_t first, std::intptr_t second) {
    auto call = std::make_shared<Call>(Call{message, first, second});
    std::unique_lock lock(mutex_);
    if (receiver_ != nullptr && QThread::currentThread() == receiver_->thread()) {
        lock.unlock();
        if (handler_)
            handler_(message, first, second);
        return true;
    }
    if (!Queue(call))
        return false;
    changed_.wait(lock, [&] {
        return call->state == Call::State::kDone ||
               (receiver_ == nullptr && call->state == Call::State::kQueued);
    });
    if (call->state == Call::State::kDone)
        return true;
    call->state = Call::State::kAbandoned;  // its data may be gone: it must never run
    return false;
}

bool MessageLink::Post(int message, std::uintptr_t first, std::intptr_t second) {
    const std::lock_guard lock(mutex_);
    return Queue(std::make_shared<Call>(Call{message, first, second}));
}

void MessageLink::Close() {
    {
        const std::lock_guard lock(mutex_);
        receiver_ = nullptr;
    }
    changed_.notify_all();
}

// Called with the lock held, so the receiver cannot go while the call is queued to it.
// After the event loop has ended nothing would deliver the call.
bool MessageLink::Queue(const std::shared_ptr<Call>& call) {
    if (receiver_ == nullptr || QCoreApplication::instance() == nullptr ||
        QCoreApplication::closingDown())
        return false;
    QMetaObject::invokeMethod(
        receiver_, [self = shared_from_this(), call] { self->Deliver(*call); },
        Qt::QueuedConnection);
    return true;
}

// On the receiver's thread.
void MessageLink::Deliver(Call& call) {
    {
        const std::lock_guard lock(mutex_);
        if (receiver_ == nullptr || call.state != Call::State::kQueued)
            return;
        call.state = Call::State::kRunning;
    }
    if (handler_)
        handler_(call.message, call.first, call.second);
    {
        const std::lock_guard lock(mutex_);
        call.state = Call::State::kDone;
    }
    changed_.notify_all();
}

MessageReceiver::MessageReceiver(MessageHandler handler, QObject* window)
    : QObject(window), link_(new MessageLink(this, std::move(handler))) {}

MessageReceiver::~MessageReceiver() {
    link_->Close();
}

}  // namespace tessal::gui
