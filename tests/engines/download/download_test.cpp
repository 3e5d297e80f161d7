// Downloads as the client runs them: complete, paused and resumed, deleted, failed.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "tests/engines/download/engine_fixture.h"
#include "tests/support/refused_port.h"

namespace tessal::xldl::test {
namespace {

using namespace std::chrono_literals;

// Lowers this process's file size limit for a test; writes past it fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_signal_)(int) = SIG_DFL;
};

TEST_F(EngineTest, DownloadsTheWholeFileStartingThenDownloadingThenComplete) {
    Throttle(4 * 1024 * 1024, 1);  // long enough for the poll to see it running
    XlTaskHandle task = StartTask(LessonUrl());
    const auto seen = PollUntilStatus(task, kXlComplete, 20s);

    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), kXlStarting);
    const XlTaskInfo info = Query(task);
    EXPECT_EQ(seen, (std::vector<int>{kXlStarting, kXlDownloading, kXlComplete}))
        << "fail code " << info.fail_code;
    EXPECT_EQ(info.total_size, static_cast<std::int64_t>(kLessonBytes));
    EXPECT_EQ(info.progress, 1.0F);
    EXPECT_EQ(std::u16string(info.file_name), u"kj900-01.tessal");
    EXPECT_EQ(FileMd5(Saved()), lesson_md5_);
    EXPECT_FALSE(std::filesystem::exists(ControlFile()));
}

TEST_F(EngineTest, StopShowsPausedAtOnceKeepsDataAndANewTaskResumesWithARange) {
    Throttle(512 * 1024, 1);
    XlTaskHandle first = StartTask(LessonUrl());
    PollUntil(
        first, [](const XlTaskInfo& info) { return info.downloaded_size > 300000; }, 10s);

    Library().stop(first);
    EXPECT_EQ(Query(first).status, kXlPaused);
    Library().remove(first);
    EXPECT_EQ(Query(first).status, kXlFailed);
    // aria2 writes its control file when it lets the download go.
    PollUntil(
        first, [this](const XlTaskInfo&) { return std::filesystem::exists(ControlFile()); }, 5s);
    ASSERT_TRUE(std::filesystem::exists(ControlFile()));
    ASSERT_TRUE(std::filesystem::exists(Saved()));

    XlTaskHandle second = StartTask(LessonUrl());
    PollUntilStatus(second, kXlComplete, 20s);
    EXPECT_EQ(Query(second).status, kXlComplete);
    EXPECT_EQ(FileMd5(Saved()), lesson_md5_);
    const auto requests = site_->requests().To("Download1", kLessonPath);
    ASSERT_GE(requests.size(), 2U);
    const std::string range = requests.back().Header("Range");
    ASSERT_TRUE(range.starts_with("bytes=")) << range;
    EXPECT_GT(std::stoll(range.substr(6)), 0);
}

TEST_F(EngineTest, ADeletedTaskSaysFailedAndAnUnknownHandleNothingUseful) {
    Throttle(256 * 1024, 1);
    XlTaskHandle task = StartTask(LessonUrl());
    Library().remove(task);
    EXPECT_EQ(Query(task).status, kXlFailed);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Query(task).status, kXlFailed);

    EXPECT_LE(Query(nullptr).status, kXlFailed);
    EXPECT_LE(Query(reinterpret_cast<XlTaskHandle>(0x7777777)).status, kXlFailed);
}

TEST_F(EngineTest, DelTempFileRemovesThePartialFileAndTheControlFile) {
    Throttle(512 * 1024, 1);
    XlTaskHandle task = StartTask(LessonUrl());
    PollUntil(
        task, [](const XlTaskInfo& info) { return info.downloaded_size > 100000; }, 10s);
    const auto param = TaskParam("", "kj900-01.tessal", folder_.path());
    // aria2 still writes them: nothing may be removed yet.
    EXPECT_EQ(Library().del_temp_file(param.get()), 0);
    EXPECT_TRUE(std::filesystem::exists(Saved()));

    Library().remove(task);
    XlBool removed = 0;
    for (int attempt = 0; attempt < 11 && removed == 0; ++attempt) {
        std::this_thread::sleep_for(500ms);
        removed = Library().del_temp_file(param.get());
    }
    EXPECT_NE(removed, 0);
    EXPECT_TRUE(folder_.FileNames().empty());
}

TEST_F(EngineTest, AConnectionCutOnEveryTryEndsFailedNeverComplete) {
    site::FaultRule rule;
    rule.host = "Download1";
    rule.path = kLessonPath;
    rule.cut_after_bytes = 0;
    site_->faults().Add(rule);
    site::FaultRule first_reply = rule;
    first_reply.cut_after_bytes = 1024 * 1024;
    first_reply.times = 1;
    site_->faults().Add(first_reply);

    XlTaskHandle task = StartTask(LessonUrl());
    const auto seen = PollUntilStatus(task, kXlFailed, 15s);
    EXPECT_EQ(seen.back(), kXlFailed);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlComplete), 0);
    EXPECT_NE(FileMd5(Saved()), lesson_md5_);
}

// A line that drops once mid-transfer: the engine tries again, from where it stopped.
TEST_F(EngineTest, ACutThatRecoversOnTheNextTryCompletesTheRightFile) {
    site::FaultRule rule;
    rule.host = "Download1";
    rule.path = kLessonPath;
    rule.cut_after_bytes = 300000;
    rule.times = 1;
    site_->faults().Add(rule);

    XlTaskHandle task = StartTask(LessonUrl());
    const auto seen = PollUntilStatus(task, kXlComplete, 20s);
    EXPECT_EQ(seen.back(), kXlComplete);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlFailed), 0);
    EXPECT_EQ(FileMd5(Saved()), lesson_md5_);
    EXPECT_GE(site_->requests().To("Download1", kLessonPath).size(), 2U);
}

TEST_F(EngineTest, AMissingFileEndsFailed) {
    XlTaskHandle task =
        StartTask(site_->urls().HostUrl(SiteHost::kDownload1) + "/lessons/900/missing.tessal");
    EXPECT_EQ(PollUntilStatus(task, kXlFailed, 10s).back(), kXlFailed);
    EXPECT_NE(Query(task).fail_code, 0);
}

TEST_F(EngineTest, AHostThatIsDownEndsFailed) {
    const tessal::test::RefusedPort down;
    XlTaskHandle task = StartTask(down.Url(kLessonPath));
    EXPECT_EQ(PollUntilStatus(task, kXlFailed, 15s).back(), kXlFailed);
}

// A disk that fills up mid-lesson. The process's file size limit stands in for it: the
// engine's writes past 1 MiB fail as they would on a full disk.
TEST_F(EngineTest, ADiskThatFillsUpEndsFailedNeverComplete) {
    const FileSizeLimit full_disk(1024 * 1024);
    XlTaskHandle task = StartTask(LessonUrl());
    const auto seen = PollUntilStatus(task, kXlFailed, 15s);
    EXPECT_EQ(seen.back(), kXlFailed);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlComplete), 0);
    EXPECT_NE(Query(task).fail_code, 0);
}

}  // namespace
}  // namespace tessal::xldl::test
