// libAPlayerCaller.so on one file, driven as the player drives it, in a Qt window of
// 1280x720 on the software render path unless told otherwise.
//
//   bench_video_engine <library folder> <file> open [rounds]
//       median time from APlayer_OpenA to state 5 ("open_to_playing_ms <median>")
//   bench_video_engine <library folder> <file> play
//       plays the file to its end; CPU time of the process ("cpu_seconds <user+system>")
//       and how often the video window was painted ("frames_painted <count>"), so that
//       a render path that saves CPU by showing fewer frames is seen
//
// TESSAL_BENCH_RENDER_MODE chooses the render mode (default 2), TESSAL_APLAYER_MPV_OPTIONS
// the audio output (the script uses ao=null).

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engines/video/loader/aplayer_loader.h"

namespace {

int g_state = 0;
// Started at each APlayer_OpenA; read when state 5 arrives, in the callback itself, so
// that the events the loop handles after it (the first frame's paint) are not counted.
QElapsedTimer g_since_open;
double g_open_to_playing_ms = 0;

void OnState(std::int32_t, std::int32_t state) {
    g_state = state;
    if (state == 5)
        g_open_to_playing_ms = static_cast<double>(g_since_open.nsecsElapsed()) / 1e6;
}

// Runs the event loop, sleeping between events, until the state callback reported
// `state`; false after 120 s.
bool WaitForState(int state) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick;  // wakes the loop now and then to look at the clock
    tick.start(500);
    while (g_state != state) {
        if (timer.elapsed() > 120000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int MeasureOpen(const tessal::APlayerFunctions& f, APlayerHandle player, const char* file,
                int rounds) {
    std::vector<double> times_ms;
    for (int round = 0; round < rounds; ++round) {
        g_since_open.start();
        if (f.APlayer_OpenA(player, file) != 0 || !WaitForState(5))
            return 1;
        times_ms.push_back(g_open_to_playing_ms);
        f.APlayer_Close(player);
        if (!WaitForState(0))
            return 1;
    }
    for (const double time_ms : times_ms)
        std::fprintf(stderr, "round %.1f ms\n", time_ms);
    std::sort(times_ms.begin(), times_ms.end());
    std::printf("open_to_playing_ms %.1f\n", times_ms[times_ms.size() / 2]);
    return 0;
}

// Counts the paint events of the widget it watches.
class PaintCounter final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

int MeasurePlay(const tessal::APlayerFunctions& f, APlayerHandle player, const char* file) {
    PaintCounter paints;
    static_cast<QObject*>(f.APlayer_GetWindow(player))->installEventFilter(&paints);
    if (f.APlayer_OpenA(player, file) != 0 || !WaitForState(5) || !WaitForState(0))
        return 1;
    std::printf("cpu_seconds %.2f\n", CpuSeconds());
    std::printf("frames_painted %d\n", paints.count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc >= 4 ? argv[3] : "";
    if (what != "open" && what != "play") {
        std::fprintf(stderr, "usage: %s <library folder> <file> open [rounds] | play\n", argv[0]);
        return 2;
    }
    // Figures of another mode than the one asked for would be reported as this one's.
    const char* asked = std::getenv("TESSAL_BENCH_RENDER_MODE");
    const std::string mode = asked != nullptr ? asked : "2";
    if (mode != "1" && mode != "2") {
        std::fprintf(stderr, "TESSAL_BENCH_RENDER_MODE must be 1 or 2, not \"%s\"\n", mode.c_str());
        return 2;
    }
    QApplication application(argc, argv);
    tessal::APlayerLoader loader([](const std::string& text, const std::string&) {
        std::fprintf(stderr, "%s\n", text.c_str());
    });
    if (!loader.Load(argv[1]))
        return 1;
    const auto& f = loader.functions();
    QWidget window;
    window.resize(1280, 720);
    window.show();
    APlayerHandle player = f.APlayer_Create(&window, 0, 0, 1280, 720, nullptr, OnState, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr);
    if (player == nullptr)
        return 1;
    if (f.APlayer_SetConfigA(player, 201, mode.c_str()) != 0) {
        std::fprintf(stderr, "render mode %s refused\n", mode.c_str());
        f.APlayer_Destroy(player);
        return 2;
    }
    const int result = what == "open"
                           ? MeasureOpen(f, player, argv[2], argc > 4 ? std::atoi(argv[4]) : 10)
                           : MeasurePlay(f, player, argv[2]);
    f.APlayer_Close(player);
    WaitForState(0);
    f.APlayer_Destroy(player);
    return result;
}
