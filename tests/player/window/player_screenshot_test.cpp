// What the member sees, saved for review: a lesson playing beside the playlist, the
// playlist hidden, and full screen with its control bar.

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <set>

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

// The colours in `area` of `picture`: one for a black, blank or logo-only video area,
// dozens for the test clip's bars and gradients.
int ColoursIn(const QPixmap& picture, const QRect& area) {
    const QImage image = picture.toImage().copy(area);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8)
            colours.insert(image.pixel(x, y));
    }
    return static_cast<int>(colours.size());
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
    const QPixmap playing = Grab();
    Save(playing, "player_playing.png");
    // The picture itself reaches the screen, drawn into the window's own pixels.
    QWidget* video = App().engine()->Window();
    EXPECT_GT(ColoursIn(playing, QRect(video->mapToGlobal(QPoint(0, 0)), video->size())), 20);

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
