// The download worker against a scripted engine: what it reports, how each end of a task
// is finished, and that the client's end stops it at once.

#include "client/download/download_worker.h"

#include <gtest/gtest.h>

#include <deque>

namespace tessal::client {
namespace {

XlTaskInfo Info(int status, long long total = 0, float progress = 0) {
    XlTaskInfo info{};
    info.status = status;
    info.total_size = total;
    info.progress = progress;
    const std::u16string name = u"kj101-01.tessal";
    name.copy(info.file_name, name.size());
    return info;
}

// An engine that answers the queries in order (the last one again once they run out).
struct ScriptedWorker {
    explicit ScriptedWorker(std::deque<XlTaskInfo> answers) : answers_(std::move(answers)) {
        ports.query = [this](XlTaskInfo& info) {
            info = answers_.front();
            if (answers_.size() > 1)
                answers_.pop_front();
            return true;
        };
        ports.delete_task = [this] { events.push_back("delete"); };
        ports.delete_temporary = [this](const std::u16string& name, const std::filesystem::path&) {
            events.push_back(name == u"kj101-01.tessal" ? "deltemp" : "deltemp?");
            return ++deltemp_calls >= deltemp_success_at;
        };
        ports.rename = [this](const std::filesystem::path& from, const std::filesystem::path& to) {
            events.push_back("rename " + from.filename().string() + ">" + to.filename().string());
            return ++rename_calls >= rename_success_at;
        };
        ports.report = [this](const ProgressReport& report) { reports.push_back(report); };
        ports.task_ended = [this] { events.push_back("ended"); };
        ports.wait = [this](int ms) {
            waited_ms += ms;
            return !(ending_after_ms >= 0 && waited_ms > ending_after_ms);
        };
        ports.ending = [this] { return ending_after_ms >= 0 && waited_ms >= ending_after_ms; };
        ports.log = [this](const std::string& line) { events.push_back("log " + line); };
        ports.trace = [](const char*) {};
    }
    WorkerEnd Run() { return RunDownloadWorker({7, "/dl/财会/会计/%E5%80%9F.tessal"}, ports); }

    DownloadWorkerPorts ports;
    std::vector<ProgressReport> reports;
    std::vector<std::string> events;
    int rename_success_at = 1, rename_calls = 0;
    int deltemp_success_at = 1, deltemp_calls = 0;
    int waited_ms = 0;
    int ending_after_ms = -1;

private:
    std::deque<XlTaskInfo> answers_;
};

TEST(DownloadWorkerTest, EachPollIsReportedInMebibytesAndWholePercent) {
    ScriptedWorker worker({Info(kXlStarting), Info(kXlDownloading, 5 * 1048576 + 7, 0.429f),
                           Info(kXlComplete, 5 * 1048576 + 7, 1.0f)});
    EXPECT_EQ(worker.Run(), WorkerEnd::kCompleted);
    ASSERT_EQ(worker.reports.size(), 3u);
    EXPECT_EQ(worker.reports[1].item, 7);
    EXPECT_EQ(worker.reports[1].status, kXlDownloading);
    EXPECT_EQ(worker.reports[1].mebibytes, 5);
    EXPECT_EQ(worker.reports[1].percent, 42);
    EXPECT_EQ(worker.reports[2].percent, 100);
}

TEST(DownloadWorkerTest, EveryEndOfATaskIsFinishedItsOwnWay) {
    struct Case {
        const char* name;
        std::deque<XlTaskInfo> answers;
        int rename_success_at;
        int deltemp_success_at;
        WorkerEnd end;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"complete",
         {Info(kXlComplete)},
         1,
         1,
         WorkerEnd::kCompleted,
         {"rename %E5%80%9F.tessal>借.tessal", "ended"}},
        {"renamed on the third try",
         {Info(kXlComplete)},
         3,
         1,
         WorkerEnd::kCompleted,
         {"rename %E5%80%9F.tessal>借.tessal", "rename %E5%80%9F.tessal>借.tessal",
          "rename %E5%80%9F.tessal>借.tessal", "ended"}},
        {"failed",
         {Info(kXlFailed)},
         1,
         3,
         WorkerEnd::kFailed,
         {"delete", "deltemp", "deltemp", "deltemp", "ended"}},
        {"paused",
         {Info(kXlPaused), Info(kXlPaused), Info(kXlFailed)},
         1,
         1,
         WorkerEnd::kPaused,
         {"delete", "ended"}},
        {"complete only once asked again",
         {Info(kXlComplete), Info(kXlDownloading), Info(kXlComplete)},
         1,
         1,
         WorkerEnd::kCompleted,
         {"rename %E5%80%9F.tessal>借.tessal", "ended"}},
    };
    for (const Case& c : cases) {
        ScriptedWorker worker(c.answers);
        worker.rename_success_at = c.rename_success_at;
        worker.deltemp_success_at = c.deltemp_success_at;
        EXPECT_EQ(worker.Run(), c.end) << c.name;
        EXPECT_EQ(worker.events, c.events) << c.name;
    }
}

// A rename that never succeeds is tried twelve times, logged, and the task still ends.
TEST(DownloadWorkerTest, ARenameThatKeepsFailingIsSaidAndTheQueueGoesOn) {
    ScriptedWorker worker({Info(kXlComplete)});
    worker.rename_success_at = 1000;
    EXPECT_EQ(worker.Run(), WorkerEnd::kRenameFailed);
    EXPECT_EQ(worker.rename_calls, 12);
    ASSERT_GE(worker.events.size(), 2u);
    EXPECT_EQ(worker.events[worker.events.size() - 2],
              "log rename fail:/dl/财会/会计/%E5%80%9F.tessal");
    EXPECT_EQ(worker.events.back(), "ended");
}

// The client's end stops the worker at its next wait: nothing more is done, and the queue
// is not asked for another task.
TEST(DownloadWorkerTest, TheClientsEndStopsTheWorkerAtOnce) {
    const std::pair<const char*, std::deque<XlTaskInfo>> cases[] = {
        {"downloading", {Info(kXlDownloading)}},
        {"failed", {Info(kXlFailed)}},
        {"paused", {Info(kXlPaused)}},
    };
    for (const auto& [name, answers] : cases) {
        ScriptedWorker worker(answers);
        worker.deltemp_success_at = 1000;
        worker.ending_after_ms = 3000;
        EXPECT_EQ(worker.Run(), WorkerEnd::kClientEnding) << name;
        EXPECT_EQ(std::count(worker.events.begin(), worker.events.end(), "ended"), 0) << name;
        EXPECT_LE(worker.waited_ms, 4000) << name;
    }
}

}  // namespace
}  // namespace tessal::client
