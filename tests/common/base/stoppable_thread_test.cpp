// A worker's long wait ends as soon as it is told to; a new start ends the running
// worker first; nothing starts once closed, and a worker may close its own thread.

#include "common/base/stoppable_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace tessal {
namespace {

using namespace std::chrono_literals;

TEST(StoppableThreadTest, CloseEndsALongWaitAtOnceAndNothingStartsAfterIt) {
    StoppableThread thread;
    std::atomic<int> waits_ended_early = 0;
    ASSERT_TRUE(thread.Start([&] { waits_ended_early += thread.WaitFor(1h) ? 0 : 1; }));
    EXPECT_TRUE(thread.running());
    const auto begin = std::chrono::steady_clock::now();
    thread.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    EXPECT_EQ(waits_ended_early, 1);
    EXPECT_TRUE(thread.ending());
    EXPECT_FALSE(thread.running());

    std::atomic<bool> ran = false;
    EXPECT_FALSE(thread.Start([&] { ran = true; }));
    thread.Close();
    EXPECT_FALSE(ran);
}

TEST(StoppableThreadTest, ANewStartEndsTheRunningWorkerFirstAndWaitsAgain) {
    StoppableThread thread;
    std::atomic<int> runs = 0;
    std::atomic<bool> second_waited_out = false;
    std::atomic<bool> second_done = false;
    ASSERT_TRUE(thread.Start([&] {
        ++runs;
        thread.WaitFor(1h);
    }));
    ASSERT_TRUE(thread.Start([&] {
        ++runs;
        second_waited_out = thread.WaitFor(10ms);
        second_done = true;
    }));
    while (!second_done)
        std::this_thread::sleep_for(1ms);
    thread.Close();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(second_waited_out);
}

TEST(StoppableThreadTest, AWorkerThatClosesItsOwnThreadLetsItGo) {
    auto thread = std::make_unique<StoppableThread>();
    std::atomic<bool> closed = false;
    ASSERT_TRUE(thread->Start([&] {
        thread->Close();
        closed = true;
    }));
    while (!closed)
        std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(thread->running());
}

}  // namespace
}  // namespace tessal
