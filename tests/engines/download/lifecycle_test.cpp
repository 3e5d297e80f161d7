// Engine start and stop, threads, and calls that must not wait.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "tests/engines/download/engine_fixture.h"

namespace tessal::xldl::test {
namespace {

using namespace std::chrono_literals;

TEST(EngineLifecycle, InitAndUnInitTwiceInOneProcessWithNoThreadLeft) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    const int before = ThreadCount();
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Library().init(), 1);
        EXPECT_GT(ThreadCount(), before);
        EXPECT_EQ(Library().uninit(), 1);
        EXPECT_EQ(ThreadCount(), before);
    }
}

TEST(EngineLifecycle, CallsWithoutAnEngineFailQuietly) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    TempFolder folder;
    const auto param = TaskParam("http://127.0.0.1:9/x", "x", folder.path());
    EXPECT_EQ(Library().create(param.get()), nullptr);
    EXPECT_EQ(Query(nullptr).status, kXlFailed);
}

TEST_F(EngineTest, UnInitWithARunningTaskEndsItsThreadAndKeepsThePartialData) {
    const int before = ThreadCount();
    Library().uninit();
    const int without_engine = ThreadCount();
    ASSERT_EQ(Library().init(), 1);
    Throttle(256 * 1024, -1);
    XlTaskHandle task = StartTask(LessonUrl());
    PollUntilStatus(task, kXlDownloading, 10s);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Library().uninit(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(ThreadCount(), without_engine);
    EXPECT_EQ(Query(task).status, kXlFailed);  // the handle died with the engine
    EXPECT_TRUE(std::filesystem::exists(ControlFile()));
    ASSERT_EQ(Library().init(), 1);
    EXPECT_EQ(ThreadCount(), before);
}

TEST_F(EngineTest, QueriesAnswerAtOnceWhileDownloading) {
    Throttle(1024 * 1024, -1);
    XlTaskHandle task = StartTask(LessonUrl());
    PollUntilStatus(task, kXlDownloading, 10s);
    std::vector<std::chrono::nanoseconds> times;
    for (int i = 0; i < 200; ++i) {
        const auto started = std::chrono::steady_clock::now();
        Query(task);
        times.push_back(std::chrono::steady_clock::now() - started);
        std::this_thread::sleep_for(1ms);
    }
    // A query that waited for the engine thread (50 ms and more between its looks at
    // aria2) would show in most of them; a loaded machine delays only a few.
    std::sort(times.begin(), times.end());
    EXPECT_LT(times[100], 1ms) << "median";
    EXPECT_LT(times[180], 10ms) << "90th percentile";
}

TEST_F(EngineTest, TwoThreadsDrivingTasksAtOnceBothComplete) {
    TempFolder other_folder;
    std::atomic<int> completed{0};
    const auto run = [&](const std::filesystem::path& folder) {
        for (int round = 0; round < 2; ++round) {
            const auto param = TaskParam(LessonUrl(), "kj900-01.tessal", folder);
            XlTaskHandle task = Library().create(param.get());
            Library().start(task);
            if (PollUntilStatus(task, kXlComplete, 20s).back() == kXlComplete)
                ++completed;
            Library().remove(task);
            Library().del_temp_file(param.get());
            std::filesystem::remove(folder / "kj900-01.tessal");
        }
    };
    std::thread one(run, folder_.path());
    std::thread two(run, other_folder.path());
    one.join();
    two.join();
    EXPECT_EQ(completed.load(), 4);
}

TEST(EngineEntryPoints, ThunderLinksDecodeToThePlainUrl) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    // base64("AAhttp://example.test/a b.tessalZZ")
    const std::u16string link = u"thunder://QUFodHRwOi8vZXhhbXBsZS50ZXN0L2EgYi50ZXNzYWxaWg==";
    char16_t plain[64] = {};
    ASSERT_EQ(Library().parse_thunder(link.c_str(), plain, 64), 1);
    EXPECT_EQ(std::u16string(plain), u"http://example.test/a b.tessal");
    EXPECT_EQ(Library().parse_thunder(link.c_str(), plain, 10), 0);           // too small
    EXPECT_EQ(Library().parse_thunder(u"thunder://aGVsbG8=", plain, 64), 0);  // no AA..ZZ
}

}  // namespace
}  // namespace tessal::xldl::test
