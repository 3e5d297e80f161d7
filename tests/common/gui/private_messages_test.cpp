// Private messages from workers: a send waits until the GUI thread handled it, a post
// does not, and neither runs a handler anywhere but on the GUI thread.

#include "common/gui/private_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <future>
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

// The worker's send answered false within a bound (it would hang without the link's
// close), and the GUI thread then finds nothing left to handle.
void ExpectGaveUp(std::promise<bool>& sent, std::thread& worker) {
    auto result = sent.get_future();
    const bool answered = result.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(answered);
    if (!answered) {
        worker.detach();
        return;
    }
    worker.join();
    EXPECT_FALSE(result.get());
    QApplication::processEvents();
}

// Workers hold the link, never the receiver: whether the window goes before or during
// the send, the send returns false and the handler never runs.
TEST(PrivateMessagesTest, ASendToAReceiverDestroyedBeforeHandlingItReturnsFalse) {
    for (const int delay_ms : {0, 50}) {
        int handled = 0;
        auto* receiver =
            new MessageReceiver([&](int, std::uintptr_t, std::intptr_t) { ++handled; });
        std::promise<bool> sent;
        std::thread worker(
            [link = receiver->link(), &sent] { sent.set_value(link->Send(kPicturePopupMessage)); });
        QThread::msleep(delay_ms);
        delete receiver;
        ExpectGaveUp(sent, worker);
        EXPECT_EQ(handled, 0);
    }
}

// The shutdown's order: the GUI thread closes the receiver, then joins a worker that is
// waiting in a send; the send gives up, the join ends, and the abandoned message (whose
// data went with the worker's stack) is never handled. Later sends return at once.
TEST(PrivateMessagesTest, ClosingEndsAWaitingSendSoTheGuiThreadCanJoinItsWorker) {
    int handled = 0;
    MessageReceiver receiver([&](int, std::uintptr_t, std::intptr_t) { ++handled; });
    std::promise<bool> sent;
    std::thread worker([link = receiver.link(), &sent] {
        int report = 7;
        sent.set_value(
            link->Send(kProgressReportMessage, reinterpret_cast<std::uintptr_t>(&report)));
    });
    QThread::msleep(50);  // the GUI thread handles nothing meanwhile
    receiver.Close();
    ExpectGaveUp(sent, worker);
    EXPECT_EQ(handled, 0);
    OnWorker([&] {
        EXPECT_FALSE(receiver.Send(kTextPopupMessage));
        EXPECT_FALSE(receiver.Post(kTextPopupMessage));
    });
    QApplication::processEvents();
    EXPECT_EQ(handled, 0);
}

}  // namespace
}  // namespace tessal::gui
