#include "common/gui/private_messages.h"

#include <QThread>

namespace tessal::gui {

MessageReceiver::MessageReceiver(MessageHandler handler, QObject* window)
    : QObject(window), handler_(std::move(handler)) {}

void MessageReceiver::Send(int message, std::uintptr_t first, std::intptr_t second) {
    if (QThread::currentThread() == thread()) {
        Handle(message, first, second);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, message, first, second] { Handle(message, first, second); },
        Qt::BlockingQueuedConnection);
}

void MessageReceiver::Post(int message, std::uintptr_t first, std::intptr_t second) {
    QMetaObject::invokeMethod(
        this, [this, message, first, second] { Handle(message, first, second); },
        Qt::QueuedConnection);
}

void MessageReceiver::Handle(int message, std::uintptr_t first, std::intptr_t second) {
    if (handler_)
        handler_(message, first, second);
}

}  // namespace tessal::gui
