// Lesson downloads through DownWrapper with the real engine, copied into a temporary
// program folder, against a reference site of the test's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/download/download_engine.h"
#include "client/download/engine_ports.h"
#include "common/files/md5.h"
#include "common/log/daily_log.h"
#include "site/server/reference_site.h"
#include "tests/client/download/engine_folder.h"

namespace tessal::test {
namespace {

constexpr auto kDownloadTimeout = std::chrono::seconds(60);
constexpr auto kPollInterval = std::chrono::milliseconds(100);

class EngineDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        course_ = &site_->data().courses.front();
        lesson_ = &course_->lessons.front();
    }
    void TearDown() override { site_->Stop(); }

    std::string ClipMd5() const {
        return FileMd5(site::DefaultSiteOptions().media_folder / "clips" /
                       (lesson_->clip + ".webm"));
    }

    // Creates and starts the lesson's task as the download center does.
    XlTaskHandle StartLesson(DownloadEngine& engine) {
        DownWrapper& xl = *engine.wrapper();
        const auto param = client::MakeTaskParam(site_->urls().LessonUrl(*course_, *lesson_),
                                                 lesson_->file, saves_.path());
        const XlTaskHandle task = xl.XL_CreateTask(param.get());
        engine.SetCurrentTask(task);
        xl.XL_StartTask(task);
        return task;
    }

    // Starts the lesson and polls it as the download worker does, once per interval;
    // the statuses seen, ending at the first 4 or 1 or at the timeout.
    std::vector<int> Download(DownloadEngine& engine) {
        DownWrapper& xl = *engine.wrapper();
        const XlTaskHandle task = StartLesson(engine);
        std::vector<int> statuses;
        const auto deadline = std::chrono::steady_clock::now() + kDownloadTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            XlTaskInfo info{};
            info.status = kXlPaused;
            xl.XL_QueryTaskInfoEx(task, &info);
            statuses.push_back(info.status);
            if (info.status == kXlComplete || info.status == kXlFailed) {
                break;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return statuses;
    }

    std::unique_ptr<site::ReferenceSite> site_;
    const site::Course* course_ = nullptr;
    const site::Lesson* lesson_ = nullptr;
    TempFolder saves_;
    TempFolder log_folder_;
    DailyLog log_{log_folder_.path()};
};

// Only the states of a task left running: starting, downloading, complete.
void ExpectCleanRun(const std::vector<int>& statuses) {
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), kXlComplete) << "after " << statuses.size() << " queries";
    const auto unexpected = std::find_if(statuses.begin(), statuses.end(), [](int status) {
        return status != kXlStarting && status != kXlDownloading && status != kXlComplete;
    });
    EXPECT_EQ(unexpected, statuses.end()) << "status " << *unexpected;
}

TEST_F(EngineDownloadTest, ALessonDownloadsCompleteWithTheServedBytes) {
    EngineFolder folder(TESSAL_ENGINE);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    ASSERT_NE(engine.wrapper()->XL_QueryTaskInfoEx, nullptr);
    ExpectCleanRun(Download(engine));
    EXPECT_EQ(FileMd5(saves_.path() / lesson_->file), ClipMd5());
    engine.Stop();
    EXPECT_EQ(engine.current_task(), nullptr);
}

TEST_F(EngineDownloadTest, AnEngineWithoutDelTempFileStillDownloads) {
    EngineFolder folder(TESSAL_ENGINE_WITHOUT_DELTEMPFILE);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    EXPECT_EQ(engine.wrapper()->XL_DelTempFile, nullptr);
    ExpectCleanRun(Download(engine));
    EXPECT_EQ(FileMd5(saves_.path() / lesson_->file), ClipMd5());
}

// The shutdown routine stops the engine and lets the library go while a download
// worker may still poll: the worker must find the library's code where it was, and a
// task the stopped engine no longer knows answers "failed", so the worker ends.
TEST_F(EngineDownloadTest, AWorkerStillPollingWhenTheEngineStopsSeesFailedAndEnds) {
    TempFolder folder;  // nothing else in this process holds the library
    std::filesystem::copy_file(TESSAL_ENGINE, folder.path() / "libxldl.so");
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    const XlTaskHandle task = StartLesson(engine);

    std::atomic<bool> engine_stopped = false;
    std::vector<int> after_stop;
    std::thread worker(
        [query = engine.wrapper()->XL_QueryTaskInfoEx, task, &engine_stopped, &after_stop] {
            for (int polls = 0; polls < 20;) {
                const bool stopped = engine_stopped.load();
                XlTaskInfo info{};
                info.status = kXlPaused;
                query(task, &info);
                if (stopped) {
                    after_stop.push_back(info.status);
                    ++polls;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    engine.Stop();
    engine_stopped = true;
    worker.join();
    EXPECT_EQ(after_stop, std::vector<int>(20, kXlFailed));
}

}  // namespace
}  // namespace tessal::test
