// Downloads as the client runs them: complete, paused and resumed, deleted, failed.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>

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

TEST_F(EngineTest, ADeletedTaskAndAnUnknownHandleSayFailed) {
    Throttle(256 * 1024, 1);
    XlTaskHandle task = StartTask(LessonUrl());
    Library().remove(task);
    EXPECT_EQ(Query(task).status, kXlFailed);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Query(task).status, kXlFailed);

    // A worker waiting for 1 or 4 must never wait on a task that does not exist.
    EXPECT_EQ(Query(nullptr).status, kXlFailed);
    EXPECT_EQ(Query(reinterpret_cast<XlTaskHandle>(0x7777777)).status, kXlFailed);
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

// A file of the lesson's name that the engine did not leave (no control file of its
// own) is never taken for part of the lesson.
TEST_F(EngineTest, AStaleFileOfTheLessonsNameEndsWithTheServersBytes) {
    const struct {
        const char* what;
        std::size_t bytes;
    } stale_files[] = {
        {"same size", kLessonBytes},
        {"shorter", kLessonBytes / 2},
        {"longer", kLessonBytes + 4096},
    };
    for (const auto& stale : stale_files) {
        folder_.Write("kj900-01.tessal", std::string(stale.bytes, 'x'));
        XlTaskHandle task = StartTask(LessonUrl());
        EXPECT_EQ(PollUntilStatus(task, kXlComplete, 20s).back(), kXlComplete) << stale.what;
        EXPECT_EQ(FileMd5(Saved()), lesson_md5_) << stale.what;
        Library().remove(task);
        std::filesystem::remove(Saved());
    }
}

// A lesson host whose line is down for a while (replies cut, connections refused): the
// engine keeps trying and the lesson completes from where it stopped.
TEST_F(EngineTest, AHostRefusingConnectionsForTenSecondsMidTransferStillCompletes) {
    Throttle(1024 * 1024, 1);
    XlTaskHandle task = StartTask(LessonUrl());
    PollUntil(
        task, [](const XlTaskInfo& info) { return info.downloaded_size > 1024 * 1024; }, 10s);
    ASSERT_GT(Query(task).downloaded_size, 1024 * 1024);
    ASSERT_TRUE(site_->StartOutage("Download1", 10s));

    const auto seen = PollUntilStatus(task, kXlComplete, 60s);
    EXPECT_EQ(seen.back(), kXlComplete) << "fail code " << Query(task).fail_code;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlFailed), 0);
    EXPECT_EQ(FileMd5(Saved()), lesson_md5_);
    const std::string range = site_->requests().To("Download1", kLessonPath).back().Header("Range");
    ASSERT_TRUE(range.starts_with("bytes=")) << "resumed, not started over";
    EXPECT_GT(std::stoll(range.substr(6)), 1024 * 1024);
}

TEST_F(EngineTest, FailuresThatTimeMayCureAreTriedAgainUntilTheLessonCompletes) {
    const struct {
        const char* what;
        int status;
        std::int64_t cut_after_bytes;
        std::int64_t rate_bytes_per_second;
        int times;
    } cases[] = {
        {"a line cut once", 0, 300000, 0, 1},
        // aria2 itself tries a 503 three times; the engine goes on.
        {"a server busy for four replies", 503, -1, 0, 4},
        // A connection that trickles is closed after aria2's 10 s start-up allowance.
        {"a line that trickles", 0, -1, 200, 1},
        {"a server failing for four replies", 500, -1, 0, 4},
    };
    for (const auto& failure : cases) {
        site::FaultRule rule;
        rule.host = "Download1";
        rule.status = failure.status;
        rule.cut_after_bytes = failure.cut_after_bytes;
        rule.rate_bytes_per_second = failure.rate_bytes_per_second;
        rule.times = failure.times;
        site_->faults().Clear();
        site_->faults().Add(rule);
        XlTaskHandle task = StartTask(LessonUrl());
        const auto seen = PollUntilStatus(task, kXlComplete, 40s);
        EXPECT_EQ(seen.back(), kXlComplete) << failure.what;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlFailed), 0) << failure.what;
        EXPECT_EQ(FileMd5(Saved()), lesson_md5_) << failure.what;
        Library().remove(task);
        std::filesystem::remove(Saved());
    }
}

// Partial data that does not belong to the lesson on the server any more, or that is not
// all there, is thrown away: the lesson ends with the server's bytes, never with a mix.
TEST_F(EngineTest, APartialLessonThatCannotBeResumedIsDownloadedAfresh) {
    const struct {
        const char* what;
        std::function<void()> spoil;
    } cases[] = {
        {"the lesson changed length on the server",
         [this] {
             std::filesystem::resize_file(lesson_, 4 * 1024 * 1024 + 123);
             lesson_md5_ = FileMd5(lesson_);
         }},
        {"the partial file is shorter than its control file says",
         [this] { std::filesystem::resize_file(Saved(), 10000); }},
        {"the server ignores the range of the resume",
         [this] {
             site::FaultRule rule = LessonRule(1);
             rule.ignore_range = true;
             site_->faults().Add(rule);
         }},
    };
    for (const auto& partial : cases) {
        LeavePartialLesson();
        partial.spoil();
        XlTaskHandle task = StartTask(LessonUrl());
        const auto seen = PollUntilStatus(task, kXlComplete, 20s);
        EXPECT_EQ(seen.back(), kXlComplete)
            << partial.what << ", fail code " << Query(task).fail_code;
        EXPECT_EQ(FileMd5(Saved()), lesson_md5_) << partial.what;
        Library().remove(task);
        std::filesystem::remove(Saved());
    }
}

TEST_F(EngineTest, FailuresRetryingCannotCureEndFailedAtOnce) {
    AnswerWith(403, -1);
    const std::string download1 = site_->urls().HostUrl(SiteHost::kDownload1);
    const struct {
        const char* what;
        std::string url;
    } cases[] = {
        {"404", download1 + "/lessons/900/missing.tessal"},
        {"403", LessonUrl()},
        {"a host name that does not exist",
         "http://tessal-no-such-host.invalid" + std::string(kLessonPath)},
    };
    for (const auto& failure : cases) {
        const auto started = std::chrono::steady_clock::now();
        XlTaskHandle task = StartTask(failure.url);
        const auto seen = PollUntilStatus(task, kXlFailed, 15s);
        EXPECT_EQ(seen.back(), kXlFailed) << failure.what;
        EXPECT_NE(Query(task).fail_code, 0) << failure.what;
        EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << failure.what;
    }
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

// An outage longer than the engine's limit (5 s here, 5 minutes in use) ends the task.
TEST_F(ShortOutageTest, AHostThatStaysDownEndsFailedOnlyOnceTheOutageOutlastsTheLimit) {
    const tessal::test::RefusedPort down;
    const auto started = std::chrono::steady_clock::now();
    XlTaskHandle task = StartTask(down.Url(kLessonPath));
    EXPECT_EQ(PollUntilStatus(task, kXlFailed, 30s).back(), kXlFailed);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 4500ms) << "tried through the outage";
}

TEST_F(ShortOutageTest, AConnectionCutOnEveryTryEndsFailedNeverComplete) {
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
    const auto seen = PollUntilStatus(task, kXlFailed, 30s);
    EXPECT_EQ(seen.back(), kXlFailed);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kXlComplete), 0);
    EXPECT_NE(FileMd5(Saved()), lesson_md5_);
}

}  // namespace
}  // namespace tessal::xldl::test
