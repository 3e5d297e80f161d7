// The video window on a real X server (Xvfb): what the screen shows of it, on both
// render paths. The screenshots stay in the build folder as test artefacts.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSet>

#include "tests/engines/video/aplayer_fixture.h"
#include "tests/engines/video/xvfb_server.h"
#include "tests/support/temp_folder.h"

namespace tessal::aplayer::test {
namespace {

constexpr const char* kMesaDriver = "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so";

// Starts the server before the application connects to it, and deletes the application
// before the server goes away.
class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // Mesa unloads its driver when the application closes its display; kept loaded,
        // the driver's own allocations are named in leak reports and can be told apart.
        ::dlopen(kMesaDriver, RTLD_NOW | RTLD_NODELETE);
        server = std::make_unique<XvfbServer>();
        if (!server->display().empty()) {
            ::setenv("DISPLAY", server->display().c_str(), 1);
            UseEnvironment("xcb", "ao=null");
        }
    }
    void TearDown() override {
        delete ApplicationEnvironment::application;
        ApplicationEnvironment::application = nullptr;
        server.reset();
    }
    static inline std::unique_ptr<XvfbServer> server;
};
::testing::Environment* const kXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

QString Artefact(const char* name) {
    return QString(TESSAL_APLAYER_ARTEFACT_DIR) + "/" + name;
}

int ColourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            colours.insert(image.pixel(x, y) & 0xf0f0f0);
    return static_cast<int>(colours.size());
}

// Mean difference of the colour channels, 0 to 255.
double Difference(const QImage& a, const QImage& b) {
    double sum = 0;
    int samples = 0;
    for (int y = 0; y < a.height() && y < b.height(); y += 4) {
        for (int x = 0; x < a.width() && x < b.width(); x += 4) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue());
            samples += 3;
        }
    }
    return samples > 0 ? sum / samples : 255;
}

class APlayerScreen : public EngineTest {
protected:
    void SetUp() override {
        if (!XvfbEnvironment::server || XvfbEnvironment::server->display().empty())
            GTEST_SKIP() << "Xvfb is not installed";
        EngineTest::SetUp();
    }

    QImage Screenshot() {
        auto* window = static_cast<QWidget*>(Api().APlayer_GetWindow(player_));
        return QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
    }

    // The frame at 2 s, paused, as the screen shows it with render mode `mode`.
    QImage FrameAtTwoSeconds(const char* mode) {
        EXPECT_EQ(Api().APlayer_SetConfigA(player_, 201, mode), 0);
        EXPECT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
        EXPECT_EQ(Api().APlayer_Pause(player_), 0);
        EXPECT_TRUE(WaitForState(3));
        EXPECT_EQ(Api().APlayer_SetPosition(player_, 2000), 0);
        EXPECT_TRUE(WaitUntil([&] { return Api().APlayer_IsSeeking(player_) == 0; }));
        RunEventsFor(500ms);
        QImage shot = Screenshot();
        Api().APlayer_Close(player_);
        EXPECT_TRUE(WaitForState(0));
        CallbackLog::Get().Clear();
        return shot;
    }
};

TEST_F(APlayerScreen, BothRenderPathsShowTheSameDecodedFrame) {
    const QImage opengl = FrameAtTwoSeconds("1");
    const QImage software = FrameAtTwoSeconds("2");
    opengl.save(Artefact("screen_render_mode_1.png"));
    software.save(Artefact("screen_render_mode_2.png"));
    ASSERT_EQ(opengl.size(), QSize(636, 360));
    EXPECT_GT(ColourCount(opengl), 20) << "a decoded test pattern, not black";
    EXPECT_GT(ColourCount(software), 20) << "a decoded test pattern, not black";
    // Same frame, same scaling: the OpenGL path is neither flipped nor shifted.
    EXPECT_LT(Difference(opengl, software), 12.0);
}

TEST_F(APlayerScreen, TheLogoShowsWhileNothingPlays) {
    TempFolder folder;
    QImage logo(120, 80, QImage::Format_RGB32);
    logo.fill(QColor(30, 160, 60));
    const auto path = folder.path() / "main_.bmp";
    ASSERT_TRUE(logo.save(QString::fromStdString(path.string()), "BMP"));
    ASSERT_EQ(Api().APlayer_SetCustomLogo(player_, path.c_str()), 1);
    RunEventsFor(300ms);
    const QImage shot = Screenshot();
    shot.save(Artefact("screen_logo.png"));
    EXPECT_EQ(shot.pixelColor(318, 180), QColor(30, 160, 60));
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(Qt::black));
}

}  // namespace
}  // namespace tessal::aplayer::test
