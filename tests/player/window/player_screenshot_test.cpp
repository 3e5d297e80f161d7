// What the member sees, saved for review: a lesson playing beside the playlist, the
// playlist hidden, and full screen with its control bar.

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdlib>

#include "common/gui/element_events.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "engines/video/aplayer.h"
#include "tests/player/window/player_fixture.h"

namespace tessal::player::test {
namespace {

using namespace tessal::gui;

// The screen as the member sees it, windows and video together.
QPixmap Grab() {
    QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0);
}

void Save(const QPixmap& picture, const char* name) {
    const char* folder = std::getenv("TESSAL_SCREENSHOT_DIR");
    ASSERT_NE(folder, nullptr);
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(picture.save(QString("%1/%2").arg(folder, name)));
}

// Frames are drawn by the engine's software path here: the offscreen platform has no
// OpenGL.
class PlayerScreenshotTest : public PlayerTest {
protected:
    void SetUp() override {
        if (std::getenv("TESSAL_TEST_NO_XVFB") != nullptr)
            GTEST_SKIP() << "Xvfb is not installed";
        PlayerTest::SetUp();
        ::setenv("TESSAL_APLAYER_MPV_OPTIONS", "ao=null", 1);
        WriteProfileString(Folder() / "UserInfo.ini", "PlayerSet", "Render", "2");
    }
    void TearDown() override {
        PlayerTest::TearDown();
        ::setenv("TESSAL_APLAYER_MPV_OPTIONS", "ao=null,vo=null", 1);
    }
};

TEST_F(PlayerScreenshotTest, PlayingWithThePlaylistHiddenAndInFullScreen) {
    AddClip("lesson_a.tessal", "TessalDownload/电工基础/lesson_a.tessal");
    AddClip("lesson_b.tessal", "TessalDownload/电工基础/lesson_b.tessal");
    AddClip("lesson_c.tessal", "TessalDownload/数控车床/lesson_c.tessal");
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/数控车床/lesson_long.tessal");
    ASSERT_TRUE(Start(lesson.string(), QSize(1366, 768)));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    QTest::qWait(1500);  // the refresh timer shows the time
    Save(Grab(), "player_playing.png");

    SendEvent(App().window()->element(14), kEventButtonClick);
    QTest::qWait(200);
    Save(Grab(), "player_playlist_hidden.png");

    SendEvent(App().window()->element(6), kEventButtonClick);
    // The picture goes on in full screen: the window keeps its video window.
    const QImage before = Grab().toImage();
    QTest::qWait(500);
    EXPECT_NE(Grab().toImage(), before);
    App().window()->TrackMouseInFullScreen(767);
    QTest::qWait(300);
    ASSERT_TRUE(App().window()->bar()->isVisible());
    QTest::qWait(300);
    const QPixmap screen = Grab();
    Save(screen, "player_full_screen.png");

    SendEvent(App().window()->bar_element(6), kEventButtonClick);
    const QImage left = Grab().toImage();
    QTest::qWait(500);
    EXPECT_NE(Grab().toImage(), left);  // and after it
}

}  // namespace
}  // namespace tessal::player::test
