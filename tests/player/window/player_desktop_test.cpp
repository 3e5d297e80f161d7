// The desktop's media controls drive the player and the screen stays on while a lesson
// plays, on a private session bus.

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "engines/video/aplayer.h"
#include "player/window/desktop_link.h"
#include "tests/player/desktop/fake_desktop_services.h"
#include "tests/player/desktop/private_bus.h"
#include "tests/player/window/player_fixture.h"

namespace tessal::player::test {
namespace {

using tessal::test::FakeScreenSaver;
using tessal::test::PrivateBus;

TEST_F(PlayerTest, MediaKeysPauseTheLessonAndTheScreenIsLetGo) {
    PrivateBus bus;
    ASSERT_TRUE(bus.started());
    FakeScreenSaver screen_saver;
    ASSERT_TRUE(screen_saver.Serve(bus.Connect()));
    QDBusConnection player_bus = bus.Connect();
    desktop_link_ = [player_bus](Playback& playback, QWidget* window, std::function<void()> quit) {
        return std::make_unique<DesktopLink>(playback, window, std::move(quit), player_bus);
    };
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    ASSERT_TRUE(Start(lesson.string()));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    ASSERT_TRUE(WaitUntil([&] { return screen_saver.inhibits.size() == 1; }));

    QDBusConnection desktop = bus.Connect();
    const auto call =
        QDBusMessage::createMethodCall(MediaControls::kServiceName, MediaControls::kObjectPath,
                                       "org.mpris.MediaPlayer2.Player", "PlayPause");
    ASSERT_TRUE(WaitUntil(
        [&] { return desktop.interface()->isServiceRegistered(MediaControls::kServiceName); }));
    tessal::test::CallAndWait(desktop, call);
    ASSERT_TRUE(WaitForState(kAPlayerPaused));
    ASSERT_TRUE(WaitUntil([&] { return screen_saver.uninhibits.size() == 1; }));
    EXPECT_EQ(screen_saver.uninhibits[0], screen_saver.inhibits[0].cookie);
    EXPECT_EQ(
        tessal::test::GetProperty(desktop, MediaControls::kServiceName, MediaControls::kObjectPath,
                                  "org.mpris.MediaPlayer2.Player", "PlaybackStatus")
            .toString(),
        "Paused");
    app_.reset();
}

}  // namespace
}  // namespace tessal::player::test
