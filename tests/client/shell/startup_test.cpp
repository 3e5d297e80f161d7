// Start-up and shutdown of the client on its installation: an incomplete installation,
// the settings it starts with, and a shutdown routine that runs twice but releases once.

#include <QApplication>
#include <set>

#include "client/shell/installation_check.h"
#include "tests/client/shell/client_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::client::test {
namespace {

std::vector<std::string> Tree(const std::filesystem::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        entries.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST_F(ClientTest, AMissingInstallationFileShowsTheBoxAndChangesNothing) {
    for (const char* file : {"libAPlayer.so", "libAPlayerCaller.so", "libewe.so", "libxldl.so",
                             "cache/cache.dll", "codecs/Course.dll", "TessalUpdata"}) {
        const auto path = installation_->folder() / file;
        const auto kept = installation_->folder().parent_path() / "kept.bin";
        std::filesystem::rename(path, kept);
        const auto before = Tree(installation_->folder());
        boxes_.shown.clear();

        EXPECT_FALSE(StartClient()) << file;
        ASSERT_EQ(boxes_.shown.size(), 1U) << file;
        EXPECT_EQ(boxes_.shown[0].caption, kIncompleteCaption);
        EXPECT_EQ(boxes_.shown[0].text, kIncompleteText);
        client_.reset();  // the shutdown routine of the destructor must not run either
        EXPECT_EQ(Tree(installation_->folder()), before) << file;
        EXPECT_TRUE(started_.empty()) << file;
        EXPECT_EQ(updates_checked_, 0) << file;
        std::filesystem::rename(kept, path);
    }
}

TEST_F(ClientTest, WithoutUserSetIniTheDefaultsHoldAndTheLoginWindowShows) {
    ASSERT_FALSE(std::filesystem::exists(installation_->folder() / "UserSet.ini"));
    ASSERT_TRUE(StartClient());
    EXPECT_EQ(client_->settings().download_root,
              (installation_->folder() / "TessalDownload").string() + "/");
    EXPECT_EQ(client_->settings().download_channel, 1);
    EXPECT_EQ(client_->settings().login_channel, 1);
    EXPECT_TRUE(Login()->isVisible());
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_TRUE(client_->download_engine().initialised());
    EXPECT_TRUE(client_->video_engine()->loaded());
    EXPECT_TRUE(boxes_.shown.empty());
    for (const char* made : {"cache/technology", "User"})
        EXPECT_TRUE(std::filesystem::is_directory(installation_->folder() / made)) << made;
    EXPECT_EQ(client_->login_tray()->tip(), "TessalClient");
    EXPECT_TRUE(client_->login_tray()->visible());
    SaveShot(Login(), "login_form");
}

TEST_F(ClientTest, AVideoEngineThatCannotBeLoadedIsShownAndStartUpGoesOn) {
    installation_->Write("libAPlayerCaller.so", "not a library");
    ASSERT_TRUE(StartClient());
    ASSERT_EQ(boxes_.shown.size(), 1U);
    EXPECT_EQ(boxes_.shown[0].caption, "apdllMiss");
    EXPECT_EQ(boxes_.shown[0].text, "apdllMiss");
    EXPECT_FALSE(client_->video_engine()->loaded());
    EXPECT_EQ(client_->video_engine()->functions().APlayer_Create, nullptr);
    EXPECT_TRUE(Login()->isVisible());
}

TEST_F(ClientTest, ABrokenCourseDatabaseIsShownAndStartUpGoesOn) {
    installation_->Write("codecs/Course.dll", "not a database at all, just text");
    ASSERT_TRUE(StartClient());
    QTest::qWait(1);
    ASSERT_EQ(boxes_.shown.size(), 3U);
    EXPECT_EQ(boxes_.shown[0].caption, "连接数据库异常!");
    EXPECT_TRUE(boxes_.shown[0].text.startsWith("Open Coursedatabase fail:"));
    // The catalogue then reads no course types; the tree stays empty.
    std::set<QString> later{boxes_.shown[1].caption, boxes_.shown[2].caption};
    EXPECT_EQ(later, (std::set<QString>{"GetCourseType", "读取列表失败"}));
    EXPECT_EQ(client_->main_window()->course_tree()->tree().ItemCount(), 0);
    EXPECT_TRUE(Login()->isVisible());
}

TEST_F(ClientTest, ABrokenLayoutEndsTheClientThroughTheShutdownRoutine) {
    installation_->Write("Layout/layout_main.xml", "<ui version=\"4.0\"><widget");
    EXPECT_FALSE(StartClient());
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].argument, "end##u##");
}

// A login layout whose head-picture slider lost its row is a layout that did not load.
// A failed catalogue statement, on the GUI thread or a worker, shows "数据库执行错误" with
// its label and logs the statement with its values in place.
TEST_F(ClientTest, AFailedCatalogueStatementShowsItsBoxAndLogsItsLine) {
    ASSERT_TRUE(StartClient());
    EXPECT_EQ(client_->catalogue().Column("SELECT Fnope FROM t_course WHERE Fcoursename=?",
                                          {{"a'b", true}}),
              std::nullopt);
    EXPECT_EQ(boxes_.shown.size(), 1U);
    std::thread worker([this] { client_->catalogue().Column("SELECT FROM nowhere"); });
    worker.join();
    EXPECT_EQ(boxes_.shown.size(), 1U);  // the worker's box waits for the GUI thread
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.shown.size() == 2; }));
    for (const auto& box : boxes_.shown) {
        EXPECT_EQ(box.text, "数据库执行错误");
        EXPECT_EQ(box.caption, "SqlTY");
    }
    client_->Shutdown();
    std::string log;
    for (const auto& entry :
         std::filesystem::directory_iterator(installation_->folder() / "cache" / "technology"))
        log += tessal::FileContents(entry.path());
    EXPECT_NE(log.find("SqlTY sql:SELECT Fnope FROM t_course WHERE Fcoursename='a'b'"),
              std::string::npos)
        << log;
}

TEST_F(ClientTest, ALoginLayoutLackingWhatTheWindowDrivesEndsTheClientTheSameWay) {
    const auto file = installation_->folder() / "Layout" / "layout.xml";
    std::string layout = tessal::FileContents(file);
    const std::size_t begin =
        layout.find("<layout class=\"QHBoxLayout\" name=\"headSliderLayout\">");
    const std::size_t end = layout.find("</layout>", begin);
    ASSERT_NE(end, std::string::npos);
    layout.erase(begin, end + std::string("</layout>").size() - begin);
    installation_->Write("Layout/layout.xml", layout);
    EXPECT_FALSE(StartClient());
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].argument, "end##u##");
}

TEST_F(ClientTest, ClosingBeforeLoginStartsTheUpdaterOnceAndReleasesOnce) {
    ASSERT_TRUE(StartClient());
    Click(LoginElement(11));
    EXPECT_TRUE(client_->shut_down());
    EXPECT_FALSE(Login()->isVisible());
    EXPECT_FALSE(client_->login_tray()->visible());
    EXPECT_FALSE(client_->download_engine().initialised());
    EXPECT_FALSE(client_->video_engine()->loaded());
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].program, installation_->folder() / "TessalUpdata");
    EXPECT_EQ(started_[0].argument, "end##u##");

    client_->Shutdown();  // after the message loop, as the program does
    EXPECT_EQ(started_.size(), 1U);
}

// Every window and worker the client makes registers its step; the routine takes them
// stage by stage, workers joined before the download engine stops, each step once.
TEST_F(ClientTest, TheShutdownRoutineTakesEveryRegisteredStepInStageOrderOnce) {
    ASSERT_TRUE(StartClient());
    const std::vector<std::string> expected = {
        "login tray icon",   "video engine",         "course database",  "login window",
        "main window",       "settings window",      "lesson window",    "download center",
        "push popups",       "message manager",      "course menu",      "session reports",
        "self-update check", "online lesson loader", "download workers", "push poller",
        "cache database",    "course pictures",      "download engine"};
    EXPECT_EQ(client_->shutdown_steps().Order(), expected);

    ShutdownSteps steps;
    std::vector<std::string> ran;
    for (const auto stage : {ShutdownStage::kDownloadEngine, ShutdownStage::kWorkers,
                             ShutdownStage::kTrayIcons, ShutdownStage::kWorkers}) {
        const std::string name =
            std::to_string(static_cast<int>(stage)) + "/" + std::to_string(steps.Order().size());
        steps.Add(stage, name, [&ran, name] { ran.push_back(name); });
    }
    steps.Run();
    steps.Run();
    EXPECT_EQ(ran, (std::vector<std::string>{"0/2", "4/1", "4/3", "5/0"}));

    // A close arriving while a step runs an event loop of its own changes nothing.
    client_->shutdown_steps().Add(ShutdownStage::kWindows, "closed again",
                                  [this] { client_->Shutdown(); });
    client_->Shutdown();
    EXPECT_EQ(started_.size(), 1U);
}

// The logout goes out with the session the client had when it began to end; a login the
// site answers after that takes nothing, so no session stays open on the site.
TEST_F(ClientTest, ALoginAnsweredAfterTheClientBeganToEndTakesNoSession) {
    site::FaultRule slow;
    slow.host = "MainSite";
    slow.path = "/pc_player/videoAPI/LOGIN.aspx";
    slow.delay_ms = 1500;
    installation_->site().faults().Add(slow);
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !installation_->site().requests().All().empty(); }));
    QTest::qWait(200);
    client_->Shutdown();
    client_.reset();  // waits for the login thread, which has its answer by then

    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].argument, "end##u##");
    EXPECT_TRUE(installation_->site().state().Sessions().empty());
    EXPECT_EQ(UserInfo("userid"), "<none>");
    EXPECT_FALSE(std::filesystem::exists(installation_->folder() / "User" / "demo"));
}

TEST(MainWindowPlaceTest, ATallWindowOnALowScreenIsMovedAndShortened) {
    EXPECT_EQ(PlaceOnLowScreen({1920, 1080}, {100, 100, 900, 900}), QRect(960, 15, 900, 816));
    EXPECT_EQ(PlaceOnLowScreen({1920, 1080}, {100, 100, 1000, 816}), std::nullopt);
    // A window wider than half the screen stays on it.
    EXPECT_EQ(PlaceOnLowScreen({1920, 1080}, {100, 100, 1000, 900}), QRect(920, 15, 1000, 816));
    EXPECT_EQ(PlaceOnLowScreen({1280, 720}, {0, 0, 1000, 680}), QRect(280, 15, 1000, 528));
    EXPECT_EQ(PlaceOnLowScreen({800, 600}, {0, 0, 1000, 680}), QRect(0, 15, 1000, 432));
}

}  // namespace
}  // namespace tessal::client::test
