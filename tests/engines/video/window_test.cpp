// The video window as the player uses it: its place in the parent, its input as Windows
// messages, the logo while nothing plays, a decoded frame on the software path and the
// developer trace of each file's first frame.

#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>
#include <cstdlib>
#include <limits>
#include <string>

#include "tests/engines/video/aplayer_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::aplayer::test {
namespace {

// Traces on from the start: the engine reads the switch once, at its first trace.
const bool kEnvironment =
    (UseEnvironment("offscreen", "ao=null"), ::setenv("TESSAL_TRACE", "1", 1), true);

using APlayerWindow = EngineTest;

QWidget* Window(APlayerHandle player) {
    return static_cast<QWidget*>(Api().APlayer_GetWindow(player));
}

std::vector<std::array<std::intptr_t, 3>> Messages() {
    auto& log = CallbackLog::Get();
    std::lock_guard lock(log.mutex);
    return log.messages;
}

// Distinct colours in a grid of samples: a test pattern has many, black or a flat
// logo very few.
int ColourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            colours.insert(image.pixel(x, y) & 0xf0f0f0);
    return static_cast<int>(colours.size());
}

TEST_F(APlayerWindow, IsANativeChildOfTheParentAtTheGivenPlace) {
    QWidget* window = Window(player_);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), parent_.get());
    EXPECT_EQ(window->geometry(), QRect(2, 30, 636, 360));
    EXPECT_TRUE(window->testAttribute(Qt::WA_NativeWindow));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Api().APlayerCaller_SetSize(player_, 0, 0, 400, 300), 0);
    EXPECT_EQ(window->geometry(), QRect(0, 0, 400, 300));

    EXPECT_EQ(Api().APlayer_Create(nullptr, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_NE(std::string(Api().APlayer_GetVersion(player_)).find("APlayerCaller"),
              std::string::npos);
}

// Whatever place and size the caller passes, the window's rectangle stays one whose
// edges are ints (the sanitizer build aborts on an overflow).
TEST_F(APlayerWindow, ExtremePlacesAndSizesAreClampedToWhatAWidgetHolds) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    const std::vector<std::array<int, 4>> requests = {
        {kMin, kMax, -100, -100}, {kMax, kMin, kMax, kMax}, {kMax, kMax, kMax, kMax},
        {kMin, kMin, kMin, kMin}, {-1, -1, 0, 0},
    };
    for (const auto& [x, y, width, height] : requests) {
        EXPECT_EQ(Api().APlayerCaller_SetSize(player_, x, y, width, height), 0);
        const QRect place = Window(player_)->geometry();
        for (const int value : {place.x(), place.y(), place.width(), place.height()})
            EXPECT_LE(std::abs(value), QWIDGETSIZE_MAX)
                << x << " " << y << " " << width << " " << height;
        EXPECT_GE(place.width(), 0);
    }
    EXPECT_EQ(Api().APlayerCaller_SetSize(player_, 2, 30, 636, 360), 0);
    EXPECT_EQ(Window(player_)->geometry(), QRect(2, 30, 636, 360));
}

// The player's main window may go first, taking the video window with it: the engine
// then answers no window rather than a deleted one, and still closes and goes away.
TEST_F(APlayerWindow, NoWindowIsAnsweredOnceTheParentDeletedIt) {
    ASSERT_NE(Window(player_), nullptr);
    parent_.reset();
    EXPECT_EQ(Window(player_), nullptr);
    EXPECT_EQ(Api().APlayerCaller_SetSize(player_, 0, 0, 10, 10), 0);
    ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
    EXPECT_EQ(Api().APlayer_Close(player_), 0);
    EXPECT_TRUE(WaitForState(0));
}

TEST_F(APlayerWindow, InputReachesTheMessageCallbackAsWindowsMessages) {
    QWidget* window = Window(player_);
    const auto send = [&](QEvent&& event) { QCoreApplication::sendEvent(window, &event); };
    send(QKeyEvent(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier));
    send(QKeyEvent(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier));
    send(QKeyEvent(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true));
    send(QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
    send(QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    send(QMouseEvent(QEvent::MouseMove, QPointF(10, 20), QPointF(10, 20), QPointF(110, 220),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier));
    const std::vector<std::array<std::intptr_t, 3>> expected = {
        {0x0101, 37, 0},               // WM_KEYUP, left
        {0x0101, 39, 0},               // WM_KEYUP, right; the auto-repeat release is not one
        {0x0100, 32, 0},               // WM_KEYDOWN, space
        {0x0102, 32, 0},               // WM_CHAR, space
        {0x0100, 27, 0},               // WM_KEYDOWN, Esc
        {0x0102, 27, 0},               // WM_CHAR, Esc (no text in the event)
        {0x0200, 1, (20 << 16) | 10},  // WM_MOUSEMOVE, left button held, x 10, y 20
    };
    EXPECT_EQ(Messages(), expected);
}

TEST_F(APlayerWindow, ShowsTheLogoCentredWhileNothingPlays) {
    TempFolder folder;
    QImage logo(60, 40, QImage::Format_RGB32);
    logo.fill(QColor(200, 30, 30));
    const auto path = folder.path() / "main_.bmp";
    ASSERT_TRUE(logo.save(QString::fromStdString(path.string()), "BMP"));
    ASSERT_EQ(Api().APlayerCaller_SetSize(player_, 0, 0, 300, 200), 0);

    EXPECT_EQ(Api().APlayer_SetCustomLogo(player_, path.c_str()), 1);
    QImage shot = Window(player_)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, 100), QColor(200, 30, 30));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(150 - 35, 100), QColor(Qt::black)) << "logo at its own size";

    EXPECT_EQ(Api().APlayer_SetCustomLogo(player_, (folder.path() / "none.bmp").c_str()), 0);
    shot = Window(player_)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, 100), QColor(Qt::black));
}

TEST_F(APlayerWindow, SoftwarePathShowsDecodedFramesAndTheLogoAgainAfterClosing) {
    ASSERT_EQ(Api().APlayer_SetConfigA(player_, 201, "2"), 0);
    ASSERT_EQ(Api().APlayerCaller_SetSize(player_, 0, 0, 320, 240), 0);
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    RunEventsFor(500ms);
    const QImage playing = Window(player_)->grab().toImage();
    playing.save(QString(TESSAL_APLAYER_ARTEFACT_DIR) + "/window_software_offscreen.png");
    EXPECT_GT(ColourCount(playing), 20) << "a decoded test pattern";

    // A resize while paused redraws the paused frame at the new size.
    ASSERT_EQ(Api().APlayer_Pause(player_), 0);
    ASSERT_TRUE(WaitForState(3));
    ASSERT_EQ(Api().APlayerCaller_SetSize(player_, 0, 0, 480, 360), 0);
    RunEventsFor(200ms);
    EXPECT_GT(ColourCount(Window(player_)->grab().toImage()), 20);

    ASSERT_EQ(Api().APlayer_Close(player_), 0);
    ASSERT_TRUE(WaitForState(0));
    RunEventsFor(100ms);
    EXPECT_LE(ColourCount(Window(player_)->grab().toImage()), 1) << "black without a logo";
}

// Benchmarks time a lesson's start to this line: once per file, not per frame, and
// again for the next file.
TEST_F(APlayerWindow, TracesTheFirstFramePaintedOfEachFile) {
    ASSERT_EQ(Api().APlayer_SetConfigA(player_, 201, "2"), 0);
    testing::internal::CaptureStderr();
    int files_played = 0;
    for (int file = 0; file < 2; ++file) {
        CallbackLog::Get().Clear();
        if (!OpenAndPlay(Media("clip_2s.mkv")))
            break;
        RunEventsFor(300ms);
        Window(player_)->grab();  // paints, whatever the platform painted by itself
        Api().APlayer_Close(player_);
        if (!WaitForState(0))
            break;
        ++files_played;
    }
    const std::string traces = testing::internal::GetCapturedStderr();
    ASSERT_EQ(files_played, 2);
    std::size_t lines = 0;
    for (auto at = traces.find("aplayer: first frame\n"); at != std::string::npos;
         at = traces.find("aplayer: first frame\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u) << traces;
}

}  // namespace
}  // namespace tessal::aplayer::test
