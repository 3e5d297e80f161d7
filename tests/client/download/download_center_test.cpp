// The download center on a demo installation against the reference site, with the real
// download engine: what gets queued, the one-at-a-time queue, pause, start, delete and
// clear, failures, outages, the lists across restarts, the client's end, and how the
// window looks with items in every state.

#include "client/download/download_center.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

#include "client/catalogue/catalogue_queries.h"
#include "client/catalogue/course_database.h"
#include "client/download/lesson_files.h"
#include "client/download/load_list.h"
#include "common/files/md5.h"
#include "common/gui/elements.h"
#include "common/gui/template_tree.h"
#include "common/log/daily_log.h"
#include "common/settings/ini_file.h"
#include "common/settings/site_settings.h"
#include "tests/client/download/engine_folder.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::client {
namespace {

using gui::FindElement;
using gui::kNoItem;
using gui::kRootItem;
using test::EngineFolder;

constexpr int kCourse101 = 101;  // four lessons on hosts 1, 2, 3; one with a Chinese name
constexpr const char* kCourse101Folder = "财会金融/会计基础入门";
constexpr int kQuickTimeout = 15000;
constexpr int kDownloadTimeout = 60000;

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back((caption + "|" + text).toStdString());
    }
    std::vector<std::string> shown;
};

void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

struct Item {
    std::string id;
    std::string state;
    std::string status;  // name2
    bool operator==(const Item&) const = default;
};

class DownloadCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        // The client runs in its program folder; layouts name their images from there.
        QDir::setCurrent(QString::fromStdString(installation_.folder().string()));
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* folder : {"Layout", "IMAGE", "data"})
            CopyFolder(data / folder, installation_.folder() / folder);
        std::string error;
        ASSERT_TRUE(database_.Open(installation_.folder() / kCourseDatabaseFile, error)) << error;
        const SiteSettings site = SiteSettings::Load(installation_.folder() / "Site.ini");
        hosts_ = {site.HostName(SiteHost::kDownload1), site.HostName(SiteHost::kDownload2),
                  site.HostName(SiteHost::kDownload3)};
    }
    void TearDown() override {
        EndClient();
        database_.Close();
        QDir::setCurrent(QDir::tempPath());
    }

    // Not the demo installation's own download root, which holds course 101 already.
    std::string Root() const { return (installation_.folder() / "Downloads").string() + "/"; }
    std::filesystem::path CourseFolder101() const {
        return std::filesystem::path(Root()) / kCourse101Folder;
    }

    // A client start: the engine and the download center (not yet opened).
    void StartClient(const std::filesystem::path& engine_library = TESSAL_ENGINE) {
        engine_folder_ = std::make_unique<EngineFolder>(engine_library);
        engine_ = std::make_unique<DownloadEngine>(engine_folder_->path());
        stop_ = std::make_unique<StopSignal>();
        DownloadCenterContext context;
        context.program_folder = installation_.folder();
        context.catalogue = &catalogue_;
        context.engine = engine_.get();
        context.daily_log = &daily_log_;
        context.stop = stop_.get();
        context.boxes = &boxes_;
        context.task_settings = [this] { return TaskSettings{Root(), channel_, hosts_}; };
        context.log = [this](const std::string& line) {
            const std::lock_guard lock(log_mutex_);
            log_.push_back(line);
        };
        context.start_player = [this] { ++players_started_; };
        center_ = std::make_unique<DownloadCenter>(std::move(context));
    }
    // The client's end as its shutdown routine takes it.
    void EndClient() {
        if (!center_)
            return;
        stop_->Raise();
        center_->Close();
        center_->JoinWorkers();
        engine_->Stop();
        center_.reset();
        engine_.reset();
    }

    gui::TemplateTree& Loading() const { return *center_->loading_tree(); }
    gui::TemplateTree& Finished() const { return *center_->finished_tree(); }
    std::vector<Item> Items() const {
        std::vector<Item> items;
        for (int item = Loading().FirstChild(kRootItem); item != kNoItem;
             item = Loading().NextSibling(item))
            items.push_back({Loading().Text(item, "id").toStdString(),
                             Loading().Text(item, "state").toStdString(),
                             Loading().Text(item, "name2").toStdString()});
        return items;
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (const Item& item : Items())
            ids.push_back(item.id);
        return ids;
    }
    int ItemOf(const std::string& id) const {
        for (int item = Loading().FirstChild(kRootItem); item != kNoItem;
             item = Loading().NextSibling(item))
            if (Loading().Text(item, "id").toStdString() == id)
                return item;
        return kNoItem;
    }
    std::string StateOf(const std::string& id) const {
        const int item = ItemOf(id);
        return item == kNoItem ? "gone" : Loading().Text(item, "state").toStdString();
    }
    bool Running(const std::string& id) const {
        const std::string state = StateOf(id);
        return state == "3";
    }
    void Screenshot(const char* name) const {
        const char* folder = std::getenv("TESSAL_SCREENSHOT_DIR");
        if (folder == nullptr)
            return;
        std::filesystem::create_directories(folder);
        QApplication::processEvents();
        center_->window()->grab().save(QString::fromStdString(
            (std::filesystem::path(folder) / (std::string(name) + ".png")).string()));
    }
    static bool WaitFor(const std::function<bool()>& done, int ms = kQuickTimeout) {
        return QTest::qWaitFor(done, ms);
    }
    // Clicks element `object` of the row that shows lesson `id`.
    void ClickInRow(const std::string& id, int object) {
        const int item = ItemOf(id);
        ASSERT_NE(item, kNoItem);
        Loading().Select(item);
        Loading().RefreshNow();
        QWidget* row = Loading().RowWidget(item);
        ASSERT_NE(row, nullptr);
        auto* button = qobject_cast<QAbstractButton*>(FindElement(row, object));
        ASSERT_NE(button, nullptr);
        button->click();
    }
    QWidget* WindowElement(int id) const { return FindElement(center_->window(), id); }
    void Click(int element) {
        auto* button = qobject_cast<QAbstractButton*>(WindowElement(element));
        ASSERT_NE(button, nullptr);
        button->click();
    }
    // Every lesson body served by `host` trickles at `rate` bytes a second.
    void Throttle(const std::string& host, std::int64_t rate) {
        site::FaultRule rule;
        rule.host = host;
        rule.rate_bytes_per_second = rate;
        installation_.site().faults().Add(rule);
    }
    std::string ClipMd5(const std::string& clip) const {
        return FileMd5(site::DefaultSiteOptions().media_folder / "clips" / (clip + ".webm"));
    }
    std::vector<site::RecordedRequest> LessonRequests(const std::string& host,
                                                      const std::string& file) {
        std::vector<site::RecordedRequest> found;
        for (const auto& request : installation_.site().requests().All())
            if (request.host == host && request.path.ends_with("/" + file))
                found.push_back(request);
        return found;
    }
    std::string Saved(const char* section, const char* key) const {
        return ReadProfileString(installation_.folder() / kLoadListFile, section, key, "", 29);
    }

    test::TestInstallation installation_;
    CourseDatabase database_;
    CatalogueQueries catalogue_{database_, [](const std::string& label, const std::string& line) {
                                    ADD_FAILURE() << label << " " << line;
                                }};
    std::array<std::string, 3> hosts_;
    int channel_ = 1;
    TempFolder log_folder_;
    DailyLog daily_log_{log_folder_.path()};
    RecordingBoxes boxes_;
    std::mutex log_mutex_;
    std::vector<std::string> log_;
    int players_started_ = 0;
    std::unique_ptr<EngineFolder> engine_folder_;
    std::unique_ptr<DownloadEngine> engine_;
    std::unique_ptr<StopSignal> stop_;
    std::unique_ptr<DownloadCenter> center_;
};

// A course partly on disk queues only its missing lessons; only the first starts, and
// adding a lesson already queued or on disk changes nothing.
TEST_F(DownloadCenterTest, ACoursePartlyOnDiskQueuesOnlyItsMissingLessonsAndStartsTheFirst) {
    installation_.Write(std::filesystem::path("Downloads") / kCourse101Folder / "kj101-01.tessal",
                        "already here");
    Throttle("Download1", 20000);
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_NE(center_->window(), nullptr);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10102", "10103", "10104"}));
    ASSERT_TRUE(WaitFor([&] { return Running("10102"); }));
    EXPECT_EQ(StateOf("10103"), "");
    EXPECT_EQ(StateOf("10104"), "");
    EXPECT_EQ(center_->running_workers(), 1);

    center_->Open(DownloadKind::kLesson, 10102);
    center_->Open(DownloadKind::kLesson, 10101);
    center_->Open(DownloadKind::kLesson, 0);
    QTest::qWait(300);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10102", "10103", "10104"}));
    EXPECT_EQ(center_->running_workers(), 1);
    EXPECT_EQ(Saved("LoadPage", "Count"), "3");
    EXPECT_TRUE(boxes_.shown.empty());
}

// A whole course comes down: each lesson with the served bytes under the name the
// catalogue stores, the finished entry counting them, the lists saved as they changed.
TEST_F(DownloadCenterTest, AWholeCourseEndsInTheFinishedListWithTheServedFiles) {
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_TRUE(
        WaitFor([&] { return Ids().empty() && center_->running_workers() == 0; }, kDownloadTimeout))
        << Items().size();
    const std::pair<const char*, const char*> lessons[] = {{"kj101-01.tessal", "clip-bars"},
                                                           {"kj101-02.tessal", "clip-test"},
                                                           {"kj101-03.tessal", "clip-rgb"},
                                                           {"借贷记账法.tessal", "clip-bars"}};
    for (const auto& [file, clip] : lessons) {
        EXPECT_EQ(FileMd5(CourseFolder101() / file), ClipMd5(clip)) << file;
        EXPECT_FALSE(std::filesystem::exists(CourseFolder101() / (std::string(file) + ".aria2")));
    }
    ASSERT_TRUE(WaitFor([&] {
        const int entry = Finished().FirstChild(kRootItem);
        return entry != kNoItem && Finished().Text(entry, "name3") == "(已下载4课时)";
    }));
    const int entry = Finished().FirstChild(kRootItem);
    EXPECT_EQ(Finished().Text(entry, "name2"), "会计基础入门");
    EXPECT_EQ(Finished().Text(entry, "name4"), "0MB");  // every file is under 1 MiB
    EXPECT_EQ(Finished().Text(entry, "id"), "101");
    EXPECT_EQ(Saved("LoadPage", "Count"), "0");
    EXPECT_EQ(Saved("FinishPage", "Count"), "1");
    EXPECT_EQ(Saved("FinishPage", "1"), "101");
    for (const char* lesson : {"10101", "10102", "10103", "10104"})
        EXPECT_TRUE(IsLessonDownloaded(catalogue_, Root(), lesson)) << lesson;
    EXPECT_EQ(center_->running_workers(), 0);
}

// Pause all stops the running lesson, keeping its partial data; start all resumes the
// queue from the first item, from where the lesson stopped.
TEST_F(DownloadCenterTest, PauseAllThenStartAllResumesFromTheFirstItem) {
    Throttle("Download1", 4000);  // the first lesson, 39 KB, takes 10 s
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_TRUE(WaitFor([&] { return Running("10101"); }));
    QTest::qWait(600);
    Click(10);
    for (const Item& item : Items())
        EXPECT_EQ(item.state, "2") << item.id;
    ASSERT_TRUE(WaitFor([&] { return center_->running_workers() == 0 && !center_->running(); }));
    EXPECT_TRUE(std::filesystem::exists(CourseFolder101() / "kj101-01.tessal.aria2"));
    EXPECT_EQ(StateOf("10101"), "2");
    EXPECT_EQ(StateOf("10102"), "2");

    installation_.site().faults().Clear();
    Click(9);
    ASSERT_TRUE(WaitFor([&] { return StateOf("10101") == "gone"; }, kDownloadTimeout));
    EXPECT_EQ(FileMd5(CourseFolder101() / "kj101-01.tessal"), ClipMd5("clip-bars"));
    const auto requests = LessonRequests("Download1", "kj101-01.tessal");
    ASSERT_GE(requests.size(), 2U);
    EXPECT_NE(requests.back().Header("Range"), "") << "the lesson started over";
}

// Deleting the running item ends its task and clears its temporary files; the next
// waiting lesson starts.
TEST_F(DownloadCenterTest, DeletingTheRunningItemDeletesItsTaskAndTheNextStarts) {
    Throttle("Download1", 4000);
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_TRUE(WaitFor([&] { return Running("10101"); }));
    ClickInRow("10101", 6);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10102", "10103", "10104"}));
    EXPECT_EQ(Saved("LoadPage", "Count"), "3");
    ASSERT_TRUE(WaitFor([&] { return Running("10102"); }, kDownloadTimeout));
    ASSERT_TRUE(WaitFor([&] {
        return !std::filesystem::exists(CourseFolder101() / "kj101-01.tessal") &&
               !std::filesystem::exists(CourseFolder101() / "kj101-01.tessal.aria2");
    }));
}

// A lesson the host does not have fails with its text and leaves no temporary files;
// toggled back to waiting it waits until the queue is next asked to go on.
TEST_F(DownloadCenterTest, AFailedItemLeavesNothingAndWaitsAgainOnlyWhenToggled) {
    site::FaultRule missing;
    missing.host = "Download1";
    missing.status = 404;
    missing.times = 1;
    installation_.site().faults().Add(missing);
    StartClient();
    center_->Open(DownloadKind::kLesson, 10301);
    ASSERT_TRUE(WaitFor([&] { return StateOf("10301") == "1"; }));
    EXPECT_EQ(Items().front().status, "下载失败");
    const auto folder = std::filesystem::path(Root()) / "财会金融/财务报表分析";
    ASSERT_TRUE(WaitFor([&] { return center_->running_workers() == 0; }));
    EXPECT_FALSE(std::filesystem::exists(folder / "bb103-01.tessal"));
    EXPECT_FALSE(std::filesystem::exists(folder / "bb103-01.tessal.aria2"));

    ClickInRow("10301", 5);
    EXPECT_EQ(Items().front(), (Item{"10301", "", "等待下载"}));
    QTest::qWait(1500);
    EXPECT_EQ(StateOf("10301"), "");
    center_->Open(DownloadKind::kWindow, 0);  // only shows the window
    QTest::qWait(500);
    EXPECT_EQ(StateOf("10301"), "");
    center_->Open(DownloadKind::kLesson, 10301);  // already queued, but the queue goes on
    ASSERT_TRUE(WaitFor([&] { return StateOf("10301") == "gone"; }, kDownloadTimeout));
    EXPECT_EQ(FileMd5(folder / "bb103-01.tessal"), ClipMd5("clip-rgb"));
}

// The member's channel moves lessons to its download host; another channel leaves the
// address alone. Lesson 10301 lives on host 1.
TEST_F(DownloadCenterTest, TheChannelChoosesTheHostAndAnyOtherChannelLeavesIt) {
    const std::pair<int, const char*> cases[] = {
        {1, "Download1"}, {2, "Download2"}, {3, "Download3"}, {7, "Download1"}};
    for (const auto& [channel, host] : cases) {
        channel_ = channel;
        StartClient();
        center_->Open(DownloadKind::kLesson, 10301);
        EXPECT_TRUE(WaitFor([&] { return StateOf("10301") == "gone"; }, kDownloadTimeout))
            << channel;
        EXPECT_FALSE(LessonRequests(host, "bb103-01.tessal").empty()) << channel;
        EndClient();
        installation_.site().requests().Clear();
        std::filesystem::remove_all(Root());
    }
}

// A file name with "?" and "=" is asked for encoded and kept under its stored name.
TEST_F(DownloadCenterTest, AnAddressWithAQueryIsEncodedAndTheFileKeepsItsStoredName) {
    StartClient();
    center_->Open(DownloadKind::kLesson, 10202);
    ASSERT_TRUE(WaitFor([&] { return StateOf("10202") == "gone"; }, kDownloadTimeout));
    const auto requests = LessonRequests("Download1", "sw102-02.tessal?v=2");  // channel 1
    ASSERT_FALSE(requests.empty());
    EXPECT_TRUE(requests.front().target.ends_with("sw102-02.tessal%3Fv%3D2"))
        << requests.front().target;
    const auto folder = std::filesystem::path(Root()) / "财会金融/税务实务精讲";
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(folder / "sw102-02.tessal?v=2"); }));
    EXPECT_EQ(FileMd5(folder / "sw102-02.tessal?v=2"), ClipMd5("clip-life"));
}

// The host refusing connections for 10 s in the middle of a lesson: the lesson still
// ends complete, with the right bytes.
TEST_F(DownloadCenterTest, AnOutageMidLessonStillEndsComplete) {
    Throttle("Download1", 200000);
    StartClient();
    center_->Open(DownloadKind::kLesson, 10202);  // 2 MB, moved to host 1 by channel 1
    ASSERT_TRUE(WaitFor([&] { return Running("10202"); }));
    QTest::qWait(1500);
    ASSERT_TRUE(installation_.site().StartOutage("Download1", std::chrono::seconds(10)));
    ASSERT_TRUE(WaitFor([&] { return StateOf("10202") == "gone"; }, 90000));
    const auto folder = std::filesystem::path(Root()) / "财会金融/税务实务精讲";
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(folder / "sw102-02.tessal?v=2"); }));
    EXPECT_EQ(FileMd5(folder / "sw102-02.tessal?v=2"), ClipMd5("clip-life"));
}

// The client's end during a download: the worker is joined at once, the partial file
// and its control file stay, and after a restart the restored lessons wait until a
// lesson is added; the lesson then resumes from its partial data.
TEST_F(DownloadCenterTest, TheClientsEndKeepsThePartialLessonWhichResumesAfterARestart) {
    Throttle("Download1", 30000);
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_TRUE(WaitFor([&] { return Running("10102"); }, kDownloadTimeout));
    QTest::qWait(1200);
    const auto started = std::chrono::steady_clock::now();
    EndClient();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_TRUE(std::filesystem::exists(CourseFolder101() / "kj101-02.tessal.aria2"));
    EXPECT_EQ(Saved("LoadPage", "Count"), "3");

    installation_.site().faults().Clear();
    StartClient();
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10102", "10103", "10104"}));
    QTest::qWait(1500);
    for (const Item& item : Items())
        EXPECT_EQ(item.state, "") << item.id;
    EXPECT_EQ(Finished().ItemCount(), 1);  // the first lesson's course

    center_->Open(DownloadKind::kLesson, 10103);  // queued already: the queue goes on
    ASSERT_TRUE(WaitFor([&] { return StateOf("10102") == "gone"; }, kDownloadTimeout));
    EXPECT_EQ(FileMd5(CourseFolder101() / "kj101-02.tessal"), ClipMd5("clip-test"));
    const auto requests = LessonRequests("Download1", "kj101-02.tessal");
    ASSERT_GE(requests.size(), 2U);
    EXPECT_NE(requests.back().Header("Range"), "") << "the lesson started over";
}

// Opening without a working engine shows its box and makes no window; a missing window
// layout or clear dialog shows theirs.
TEST_F(DownloadCenterTest, WhatCannotBeMadeShowsItsBoxAndLogLine) {
    StartClient(std::filesystem::path());  // no engine library
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_EQ(center_->window(), nullptr);
    EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"Init failed!|迅雷引擎初始化失败!"}));
    EndClient();

    boxes_.shown.clear();
    std::filesystem::rename(installation_.folder() / "Layout/DownLoad/CleanLoad.xml",
                            installation_.folder() / "Layout/DownLoad/CleanLoad.old");
    StartClient();
    center_->Open(DownloadKind::kWindow, 0);
    ASSERT_NE(center_->window(), nullptr);
    Click(11);
    EXPECT_EQ(boxes_.shown,
              (std::vector<std::string>{"CreatehWINDOW_ClaenWndFail|CreatehWINDOW_ClaenWndFail"}));
    EndClient();

    boxes_.shown.clear();
    std::filesystem::remove(installation_.folder() / kDownloadCenterLayout);
    StartClient();
    center_->Open(DownloadKind::kLesson, 10101);
    EXPECT_EQ(center_->window(), nullptr);
    EXPECT_EQ(boxes_.shown,
              (std::vector<std::string>{"CreateDownloadWinFail|CreateDownloadWinFail"}));
    const std::lock_guard lock(log_mutex_);
    EXPECT_NE(std::find(log_.begin(), log_.end(), "CreateDownloadWinFail"), log_.end());
    EXPECT_NE(std::find(log_.begin(), log_.end(), "CreatehWINDOW_ClaenWndFail"), log_.end());
}

// The clear dialog's confirm stops the running lesson and empties the list for good;
// the close button hides the window and downloads go on.
TEST_F(DownloadCenterTest, ClearEmptiesTheListAndCloseOnlyHides) {
    Throttle("Download1", 4000);
    StartClient();
    center_->Open(DownloadKind::kCourse, kCourse101);
    ASSERT_TRUE(WaitFor([&] { return Running("10101"); }));
    Click(4);
    EXPECT_FALSE(center_->window()->isVisible());
    QTest::qWait(1200);
    EXPECT_TRUE(Running("10101"));
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_TRUE(center_->window()->isVisible());

    Click(11);
    QWidget* dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != center_->window() &&
                FindElement(window, 1) != nullptr)
                dialog = window;
        return dialog != nullptr;
    }));
    qobject_cast<QAbstractButton*>(FindElement(dialog, 1))->click();
    EXPECT_TRUE(Ids().empty());
    EXPECT_EQ(Saved("LoadPage", "Count"), "0");
    ASSERT_TRUE(WaitFor([&] { return center_->running_workers() == 0; }));
    EXPECT_TRUE(std::filesystem::exists(CourseFolder101() / "kj101-01.tessal.aria2"));
    EndClient();
    StartClient();
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_TRUE(Ids().empty());
}

// How a member sees both tabs, with items in every state: downloading (speed and time
// left), starting, paused, failed for want of disk space, waiting; and finished courses.
TEST_F(DownloadCenterTest, BothTabsShowTheirItemsInEveryState) {
    CopyFolder(installation_.folder() / "TessalDownload", Root());  // course 101 on disk
    ASSERT_TRUE(WriteSavedIds(installation_.folder() / kLoadListFile, kFinishedSection, {"101"}));
    Throttle("Download1", 30000);  // a 2 MB lesson first: it takes a minute
    StartClient();
    center_->Open(DownloadKind::kLesson, 20104);
    center_->Open(DownloadKind::kCourse, 201);
    ASSERT_EQ(Ids(), (std::vector<std::string>{"20104", "20101", "20102", "20103", "20105"}));
    // The engine counts a transfer in 16 KiB blocks: the speed shows once a few came.
    ASSERT_TRUE(WaitFor([&] {
        const int item = ItemOf("20104");
        return item != kNoItem && Loading().Text(item, "rate").contains("剩余");
    }));
    // The other states as a worker would report them.
    const std::tuple<const char*, int, int, bool> reports[] = {{"20101", kXlStarting, 0, false},
                                                               {"20102", kXlPaused, 42, false},
                                                               {"20103", kXlFailed, 7, true}};
    for (const auto& [id, status, percent, disk_full] : reports) {
        ProgressReport report{ItemOf(id), status, 0, percent};
        report.disk_full = disk_full;
        center_->link()->Send(gui::kProgressReportMessage,
                              reinterpret_cast<std::uintptr_t>(&report));
    }
    EXPECT_EQ(Items()[3], (Item{"20103", "1", "磁盘已满,下载失败"}));
    EXPECT_EQ(Items()[4], (Item{"20105", "", "等待下载"}));
    EXPECT_TRUE(Loading()
                    .Text(ItemOf("20104"), "rate")
                    .contains(QRegularExpression("^[0-9]+ KB/s · 剩余 [0-9]+:[0-9]{2}$")))
        << Loading().Text(ItemOf("20104"), "rate").toStdString();
    Loading().RefreshNow();
    QWidget* paused = Loading().RowWidget(ItemOf("20102"));
    ASSERT_NE(paused, nullptr);
    EXPECT_TRUE(gui::IsChecked(FindElement(paused, 5)));
    Screenshot("download_center_downloading");

    Click(2);
    EXPECT_FALSE(WindowElement(7)->isVisible());
    EXPECT_FALSE(WindowElement(9)->isVisible());
    EXPECT_TRUE(WindowElement(8)->isVisible());
    const int entry = Finished().FirstChild(kRootItem);
    ASSERT_NE(entry, kNoItem);
    EXPECT_EQ(Finished().Text(entry, "name3"), "(已下载4课时)");
    EXPECT_EQ(Finished().Text(entry, "name4"), "0MB");
    Finished().RefreshNow();
    QWidget* row = Finished().RowWidget(entry);
    ASSERT_NE(row, nullptr);
    qobject_cast<QAbstractButton*>(FindElement(row, 6))->click();
    EXPECT_EQ(players_started_, 1);
    Screenshot("download_center_finished");
}

// A full disk fails the lesson with words that say so, and the lessons after it wait
// instead of failing one after another.
TEST_F(DownloadCenterTest, AFullDiskFailsTheLessonSaysSoAndLeavesTheOthersWaiting) {
    std::filesystem::create_directories(Root());
    if (::mount("tessal-full", Root().c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no small disk to fill: mounting needs privileges";
    struct Unmount {
        std::string folder;
        ~Unmount() { ::umount2(folder.c_str(), MNT_DETACH); }
    } unmount{Root()};
    StartClient();
    center_->Open(DownloadKind::kCourse, 102);  // 637 KB, then 2 MB
    ASSERT_TRUE(WaitFor([&] { return StateOf("10201") == "1"; }, kDownloadTimeout));
    EXPECT_EQ(Items()[0].status, "磁盘已满,下载失败");
    ASSERT_TRUE(WaitFor([&] { return center_->running_workers() == 0; }));
    QTest::qWait(500);
    EXPECT_EQ(StateOf("10202"), "");
    EXPECT_EQ(Items()[1].status, "等待下载");
    EndClient();
}

// A client killed (SIGKILL) in the middle of a lesson: the next start has both lists as
// they were and resumes the lesson from its partial data.
TEST_F(DownloadCenterTest, AKilledClientRestartsWithItsListsAndResumesTheLesson) {
    ASSERT_TRUE(WriteSavedIds(installation_.folder() / kLoadListFile, kFinishedSection, {"101"}));
    EngineFolder engine(TESSAL_ENGINE);
    Throttle("Download1", 40000);  // lesson 10102: 637 KB, 16 s
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        if (::chdir(installation_.folder().c_str()) != 0)
            ::_exit(127);
        ::execl(TESSAL_CENTER_CHILD, TESSAL_CENTER_CHILD, engine.path().c_str(), Root().c_str(),
                "10102", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char said[16] = {};
    const ssize_t got = ::read(out[0], said, sizeof said - 1);
    ::close(out[0]);
    ASSERT_EQ(std::string(said, got > 0 ? static_cast<std::size_t>(got) : 0), "running\n");
    const auto control = CourseFolder101() / "kj101-02.tessal.aria2";
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(control); }, 5000));
    QTest::qWait(1500);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const auto partial = std::filesystem::file_size(CourseFolder101() / "kj101-02.tessal");
    EXPECT_GT(partial, 0U);

    installation_.site().faults().Clear();
    StartClient();
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10102"}));
    ASSERT_EQ(Finished().ItemCount(), 1);
    EXPECT_EQ(Finished().Text(Finished().FirstChild(kRootItem), "id"), "101");
    Click(9);  // start all
    ASSERT_TRUE(WaitFor([&] { return StateOf("10102") == "gone"; }, kDownloadTimeout));
    EXPECT_EQ(FileMd5(CourseFolder101() / "kj101-02.tessal"), ClipMd5("clip-test"));
    const auto requests = LessonRequests("Download1", "kj101-02.tessal");
    ASSERT_GE(requests.size(), 2U);
    EXPECT_NE(requests.back().Header("Range"), "") << "the lesson started over";
    EXPECT_NE(requests.back().Header("Range"), "bytes=0-");
}

// Saved ids that are no lesson id are not restored; a lesson the catalogue cannot start
// is marked failed and the queue goes on past it.
TEST_F(DownloadCenterTest, ALessonThatCannotStartFailsAndTheQueueGoesOn) {
    installation_.Write(kLoadListFile,
                        "[LoadPage]\nCount=2147483647999\n1=99999999\n2=abc\n3=-7\n4=10301\n");
    StartClient();
    center_->Open(DownloadKind::kWindow, 0);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"99999999", "10301"}));
    Click(9);
    ASSERT_TRUE(WaitFor([&] { return StateOf("99999999") == "1"; }));
    EXPECT_EQ(Items().front(), (Item{"99999999", "1", "下载失败"}));
    ASSERT_TRUE(WaitFor([&] { return StateOf("10301") == "gone"; }, kDownloadTimeout));
}

// The running lesson has no state until its first report: deleting it then still stops
// and deletes its task, and nothing of it comes down.
TEST_F(DownloadCenterTest, DeletingTheRunningItemBeforeItsFirstReportStopsIt) {
    Throttle("Download1", 20000);
    StartClient();
    center_->Open(DownloadKind::kLesson, 10102);
    ASSERT_TRUE(WaitFor([&] { return center_->running(); }));
    ASSERT_EQ(StateOf("10102"), "");
    ClickInRow("10102", 6);
    EXPECT_TRUE(Ids().empty());
    ASSERT_TRUE(WaitFor([&] { return center_->running_workers() == 0; }));
    QTest::qWait(500);
    EXPECT_FALSE(std::filesystem::exists(CourseFolder101() / "kj101-02.tessal"));
    EXPECT_EQ(Finished().ItemCount(), 0);
}

// The first opening with a lesson to queue keeps the lessons saved before: the new one
// stands first, the restored ones follow, and the file holds all of them.
TEST_F(DownloadCenterTest, TheFirstOpeningWithALessonKeepsTheSavedOnes) {
    ASSERT_TRUE(
        WriteSavedIds(installation_.folder() / kLoadListFile, kLoadingSection, {"10102", "10103"}));
    Throttle("Download1", 4000);
    StartClient();
    center_->Open(DownloadKind::kLesson, 10301);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"10301", "10102", "10103"}));
    EXPECT_EQ(Saved("LoadPage", "Count"), "3");
    EXPECT_EQ(Saved("LoadPage", "2"), "10102");
}

}  // namespace
}  // namespace tessal::client
