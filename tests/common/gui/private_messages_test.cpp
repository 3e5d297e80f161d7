// Private messages from workers: a send waits until the GUI thread handled it, a post
// does not, and neither runs a handler anywhere but on the GUI thread.

#include "common/gui/private_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <atomic>
#include <thread>

namespace tessal::gui {
namespace {

// Runs `work` on a worker while the GUI thread keeps handling events.
template <typename Work>
void OnWorker(Work work) {
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
}

struct Received {
    int message = 0;
    std::uintptr_t first = 0;
    std::intptr_t second = 0;
    bool on_gui_thread = false;
};

TEST(PrivateMessagesTest, ASendFromAWorkerReturnsOnlyOnceTheGuiThreadHandledIt) {
    Received received;
    int report = 41;  // the worker's own data, handed over by address
    MessageReceiver receiver([&](int message, std::uintptr_t first, std::intptr_t second) {
        received = {message, first, second, QThread::currentThread() == qApp->thread()};
        *reinterpret_cast<int*>(first) += 1;
    });
    int seen_after_send = 0;
    OnWorker([&] {
        receiver.Send(kProgressReportMessage, reinterpret_cast<std::uintptr_t>(&report), -7);
        seen_after_send = report;
    });
    EXPECT_EQ(seen_after_send, 42);
    EXPECT_EQ(received.message, kProgressReportMessage);
    EXPECT_EQ(received.second, -7);
    EXPECT_TRUE(received.on_gui_thread);
}

TEST(PrivateMessagesTest, APostReturnsAtOnceAndIsHandledLaterOnTheGuiThread) {
    std::atomic<int> handled = 0;
    bool on_gui_thread = false;
    MessageReceiver receiver([&](int message, std::uintptr_t, std::intptr_t) {
        on_gui_thread = QThread::currentThread() == qApp->thread();
        EXPECT_EQ(message, kStartNextTaskMessage);
        ++handled;
    });
    int handled_when_post_returned = -1;
    std::thread worker([&] {
        receiver.Post(kStartNextTaskMessage);
        handled_when_post_returned = handled;
    });
    worker.join();  // the GUI thread handles nothing meanwhile: the post must not wait
    EXPECT_EQ(handled_when_post_returned, 0);
    QApplication::processEvents();
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(on_gui_thread);
}

TEST(PrivateMessagesTest, ASendOnTheGuiThreadRunsAtOnce) {
    int handled = 0;
    MessageReceiver receiver([&](int, std::uintptr_t, std::intptr_t) { ++handled; });
    receiver.Send(kTextPopupMessage);
    EXPECT_EQ(handled, 1);
}

TEST(PrivateMessagesTest, ASendToAReceiverDestroyedBeforeHandlingItReturns) {
    int handled = 0;
    auto* receiver = new MessageReceiver([&](int, std::uintptr_t, std::intptr_t) { ++handled; });
    std::atomic<bool> returned = false;
    std::thread worker([&] {
        receiver->Send(kPicturePopupMessage);
        returned = true;
    });
    // Let the send reach the queue, then take the window away without handling it.
    QThread::msleep(100);
    delete receiver;
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(handled, 0);
}

}  // namespace
}  // namespace tessal::gui
