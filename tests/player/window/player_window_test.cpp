// The main window: its size on three screens, the playlist panel's width, full screen,
// the speed button, a missing engine, and the hand-off of a second start.

#include <QAbstractButton>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <thread>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "engines/video/aplayer.h"
#include "player/core/hand_off.h"
#include "player/core/player_list.h"
#include "tests/player/window/player_fixture.h"

namespace tessal::player::test {
namespace {

using namespace tessal::gui;

struct ScreenCase {
    QSize screen;
    std::optional<QRect> window;  // none: the layout's own size
};

TEST_F(PlayerTest, TheWindowTakesItsSizeFromTheScreen) {
    const ScreenCase cases[] = {
        {QSize(1920, 1080), std::nullopt},
        {QSize(1366, 768), QRect(0, 0, 844, 521)},
        {QSize(1280, 1024), QRect(0, 0, 791, 488)},
    };
    for (const auto& [screen, expected] : cases) {
        SCOPED_TRACE(screen.width());
        ASSERT_TRUE(Start({}, screen));
        QWidget* window = App().window()->window();
        if (expected)
            EXPECT_EQ(window->geometry(), *expected);
        else
            EXPECT_EQ(window->size(), QSize(1200, 741));
        app_.reset();
    }
}

TEST_F(PlayerTest, ThePlaylistTakesAFifthOfTheWidthButAtLeast200AndTheVideoTheRest) {
    ASSERT_TRUE(Start());
    QWidget* window = App().window()->window();
    for (const auto& [width, panel] : {std::pair{800, 200}, std::pair{1500, 300}}) {
        window->resize(width, 600);
        QCoreApplication::processEvents();
        EXPECT_EQ(FindElement(window, 31)->width(), panel) << width;
        const QRect video = App().engine()->Window()->geometry();
        EXPECT_EQ(video, App().window()->VideoPlace()) << width;
        EXPECT_LE(video.right(), window->width() - panel);
    }
    // Hidden, the panel leaves its width to the video.
    SendEvent(App().window()->element(14), kEventButtonClick);
    QCoreApplication::processEvents();
    EXPECT_FALSE(FindElement(window, 31)->isVisible());
    EXPECT_GT(App().engine()->Window()->width(), window->width() - 200);
}

TEST_F(PlayerTest, LeavingFullScreenOnALargeScreenGives1200By741) {
    ASSERT_TRUE(Start({}, QSize(1920, 1080)));
    QWidget* window = App().window()->window();
    window->setGeometry(100, 80, 900, 600);
    SendEvent(App().window()->element(6), kEventButtonClick);
    EXPECT_TRUE(App().window()->full_screen());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(App().engine()->Window()->geometry(), QRect(0, 0, 1920, 1080));
    // The bar shows only near the bottom edge.
    App().window()->TrackMouseInFullScreen(1079);
    EXPECT_TRUE(App().window()->bar()->isVisible());
    App().window()->TrackMouseInFullScreen(500);
    EXPECT_FALSE(App().window()->bar()->isVisible());
    SendEvent(App().window()->bar_element(6), kEventButtonClick);
    EXPECT_FALSE(App().window()->full_screen());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1200, 741));
    EXPECT_FALSE(App().window()->bar()->isVisible());
}

TEST_F(PlayerTest, FivePressesOfTheSpeedButtonReturnToNormalSpeed) {
    ASSERT_TRUE(Start());
    std::vector<int> speeds;
    for (int press = 0; press < 5; ++press) {
        SendEvent(App().window()->element(21), kEventButtonClick);
        speeds.push_back(App().playback()->speed());
    }
    EXPECT_EQ(speeds, (std::vector<int>{150, 200, 400, 50, 100}));
    EXPECT_EQ(App().engine()->Config(kAPlayerConfigSpeed), "100");
}

TEST_F(PlayerTest, WithoutTheEngineThePlayerRunsAndSaysSo) {
    std::filesystem::remove(Folder() / "libAPlayer.so");
    ASSERT_TRUE(Start());
    EXPECT_EQ(boxes_.shown, (std::vector<QString>{"apdllMiss|apdllMiss"}));
    EXPECT_FALSE(App().engine()->made());
    EXPECT_TRUE(ElementText(App().window()->element(13)).contains("apdllMiss"));
    const auto lesson = AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    SendEvent(App().window()->element(1), kEventButtonClick);
    App().playback()->Open(lesson.string());
    QTest::qWait(100);
    EXPECT_EQ(App().engine()->State(), 0);
}

// The engine loads while the window shows: what is asked for meanwhile waits for it, and
// an end meanwhile leaves nothing behind.
TEST_F(PlayerTest, TheLastLessonAskedForWhileTheEngineLoadsPlaysOnceItIsMade) {
    const auto first = AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    const auto dropped = AddClip("lesson_b.tessal", "TessalDownload/课程/lesson_b.tessal");
    ASSERT_TRUE(StartLoading(first.string()));
    ASSERT_FALSE(App().ready());
    EXPECT_TRUE(App().window()->window()->isVisible());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(App().window()->window(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(App().window()->window(), &drop);
    ASSERT_TRUE(WaitUntil([this] { return App().ready(); }));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    EXPECT_EQ(App().playback()->lesson_title(), "lesson_b.tessal");
    EXPECT_EQ(App().opener()->newest(), 1u);
}

TEST_F(PlayerTest, AnEndWhileTheEngineLoadsMakesNoEngineAndEmptiesTheHandOff) {
    const auto lesson = AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    ASSERT_TRUE(StartLoading(lesson.string()));
    SendEvent(App().window()->element(9), kEventButtonClick);
    QTest::qWait(300);
    EXPECT_TRUE(App().shut_down());
    EXPECT_FALSE(App().ready());
    EXPECT_FALSE(App().engine()->made());
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "h", "?"), "");
    EXPECT_TRUE(boxes_.shown.empty());
}

// A course kept only in the saved list (outside TessalDownload, so no scan finds it
// again) survives an end that comes before the list was loaded.
TEST_F(PlayerTest, AnEndWhileTheEngineLoadsKeepsTheSavedPlaylist) {
    const auto lesson = AddClip("lesson_a.tessal", "elsewhere/lesson_a.tessal");
    const auto list = Folder() / "PlayerList.ini";
    ASSERT_TRUE(SavePlayerList(list, {{"Kept", {{"lesson_a", lesson.string()}}}}));
    ASSERT_TRUE(StartLoading({}));
    SendEvent(App().window()->element(9), kEventButtonClick);
    ASSERT_TRUE(App().shut_down());
    EXPECT_EQ(LoadPlayerList(list).size(), 1u);
}

TEST_F(PlayerTest, FullScreenAskedForWhileTheEngineLoadsHoldsForTheVideoWindow) {
    ASSERT_TRUE(StartLoading({}, QSize(1920, 1080)));
    SendEvent(App().window()->element(6), kEventButtonClick);
    ASSERT_TRUE(WaitUntil([this] { return App().ready(); }));
    EXPECT_EQ(App().engine()->Window()->geometry(), QRect(0, 0, 1920, 1080));
}

// A box shown while the window is built is modal and runs the event loop: the loaded
// engine waits for the built window (or for nothing, when there is none).
TEST_F(PlayerTest, ABoxWhileTheWindowIsBuiltLeavesTheEngineForTheBuiltWindow) {
    const struct {
        const char* removed;
        bool starts;
    } cases[] = {{"Layout/Player/FullScreenConsolWnd.xml", true}, {"Layout/Player.xml", false}};
    boxes_.while_shown = [] { QTest::qWait(1500); };
    for (const auto& [removed, starts] : cases) {
        SCOPED_TRACE(removed);
        const auto layout = Folder() / removed;
        const auto kept = Folder() / "kept.xml";
        std::filesystem::rename(layout, kept);
        boxes_.shown.clear();
        EXPECT_EQ(Start(), starts);
        EXPECT_EQ(boxes_.shown.size(), 1u);
        app_.reset();
        std::filesystem::rename(kept, layout);
    }
}

TEST_F(PlayerTest, AnEndWhileABoxOfTheStartIsUpEndsTheStart) {
    std::filesystem::remove(Folder() / "Layout/Player/FullScreenConsolWnd.xml");
    boxes_.while_shown = [this] { app_->Shutdown(); };  // SIGTERM while the box is up
    EXPECT_FALSE(StartLoading({}));
    EXPECT_FALSE(App().window()->window()->isVisible());
    QTest::qWait(300);
    EXPECT_FALSE(App().ready());
}

// A second start hands its path over and waits for the answer, as a sent message would;
// the test's event loop answers it meanwhile.
bool HandOverFromAnotherStart(const std::filesystem::path& folder, const std::string& path) {
    bool answered = false;
    std::thread second([&] {
        SingleInstance instance(folder);
        answered = !instance.first() && instance.HandOver(path);
    });
    const bool joined = WaitUntil([&] { return answered; }, std::chrono::seconds(10));
    second.join();
    return joined && answered;
}

TEST_F(PlayerTest, ASecondStartHandsItsPathOverOnceAndOnlyRestoresWithoutOne) {
    ASSERT_TRUE(Start());
    const auto lesson = AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    App().window()->window()->showMinimized();
    ASSERT_TRUE(HandOverFromAnotherStart(Folder(), "\"" + lesson.string() + "\""));
    EXPECT_FALSE(App().window()->window()->isMinimized());
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    EXPECT_EQ(App().playback()->lesson_title(), "lesson_a.tessal");
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "data", "?"), "");
    // Without a path nothing opens again, the earlier path included.
    const auto opened = App().opener()->newest();
    ASSERT_TRUE(HandOverFromAnotherStart(Folder(), ""));
    EXPECT_EQ(App().opener()->newest(), opened);
}

TEST_F(PlayerTest, TheEndEmptiesTheHandOffAndWritesThePlaylist) {
    AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    ASSERT_TRUE(Start());
    EXPECT_NE(ReadHandOffName(Folder() / kHandOffFile), "");
    SendEvent(App().window()->element(9), kEventButtonClick);
    EXPECT_TRUE(App().shut_down());
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "h", "?"), "");
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "data", "?"), "");
    EXPECT_EQ(ReadProfileString(Folder() / "PlayerList.ini", "CourseName", "0", ""), "课程");
}

}  // namespace
}  // namespace tessal::player::test
