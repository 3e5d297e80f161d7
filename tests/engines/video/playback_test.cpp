// The engine states, positions, speed and configuration items with real media, through
// the loaded library as the player drives it. mpv's null outputs: no picture is needed.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>

#include "tests/engines/video/aplayer_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::aplayer::test {
namespace {

const bool kEnvironment = (UseEnvironment("offscreen", "ao=null,vo=null"), true);

const APlayerFunctions& E() {
    return Api();
}

using APlayerPlayback = EngineTest;

TEST_F(APlayerPlayback, OpenPausePlayCloseGoThroughTheStatesOnTheGuiThread) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5}));
    const auto started = States();
    EXPECT_NEAR(started[1].duration_ms, 10000, 100) << "duration known at 4";
    EXPECT_EQ(E().APlayer_GetVideoWidth(player_), 320);
    EXPECT_EQ(E().APlayer_GetVideoHeight(player_), 240);

    RunEventsFor(600ms);
    const int playing_at = E().APlayer_GetPosition(player_);
    EXPECT_GT(playing_at, 300);
    EXPECT_EQ(E().APlayer_Pause(player_), 0);
    EXPECT_EQ(E().APlayer_GetState(player_), 2);
    ASSERT_TRUE(WaitForState(3));
    const int paused_at = E().APlayer_GetPosition(player_);
    RunEventsFor(400ms);
    EXPECT_EQ(E().APlayer_GetPosition(player_), paused_at) << "no progress while paused";

    EXPECT_EQ(E().APlayer_Play(player_), 0);
    ASSERT_TRUE(WaitForState(5));
    RunEventsFor(400ms);
    EXPECT_GT(E().APlayer_GetPosition(player_), paused_at);

    EXPECT_EQ(E().APlayer_Close(player_), 0);
    ASSERT_TRUE(WaitForState(0));
    const auto all = States();
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 2, 3, 5, 6, 0}));
    EXPECT_GT(all[6].position_ms, paused_at) << "position readable at 6";
    EXPECT_EQ(all[7].item7, "1") << "closed, not ended: no advance";
    for (const auto& call : all)
        EXPECT_TRUE(call.on_gui_thread) << "state " << call.state;
}

TEST_F(APlayerPlayback, AFileThatEndsClosesThroughSixWithItemSevenZero) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
    ASSERT_TRUE(WaitForState(0, 10s));
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0}));
    const auto all = States();
    EXPECT_NEAR(all[3].position_ms, 2000, 200) << "position at 6 is the end";
    EXPECT_EQ(all[4].item7, "0");
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 7), "0");

    // The same file again: its duration equals the last one and is still reported.
    CallbackLog::Get().Clear();
    ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
    EXPECT_NEAR(States()[1].duration_ms, 2000, 100);
}

// mpv calls such an end an error; the player must still move on to the next lesson.
TEST_F(APlayerPlayback, AFileThatPlaysToItsEndWithoutSoundOutputStillGivesItemSevenZero) {
    E().APlayer_Destroy(player_);
    UseEnvironment("offscreen", "ao=alsa,audio-device=alsa/tessal-no-such-device,vo=null");
    player_ = CreateEngine();
    UseEnvironment("offscreen", "ao=null,vo=null");
    ASSERT_NE(player_, nullptr);
    ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
    ASSERT_TRUE(WaitForState(0, 10s));
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0}));
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 7), "0");
}

TEST_F(APlayerPlayback, FilesThatCannotBeOpenedGoToZeroWithoutFour) {
    TempFolder folder;
    std::string noise(64 * 1024, '\0');
    std::mt19937 random(7);
    for (auto& byte : noise)
        byte = static_cast<char>(random());
    const auto corrupt = folder.Write("corrupt.mkv", noise);
    const auto empty = folder.Write("empty.mp4", "");
    const auto missing = folder.path() / "missing.mkv";
    for (const auto& file : {corrupt, empty, missing}) {
        CallbackLog::Get().Clear();
        ASSERT_EQ(E().APlayer_OpenA(player_, file.c_str()), 0) << file;
        ASSERT_TRUE(WaitForState(0)) << file;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0})) << file;
        const std::string item7 = E().APlayer_GetConfigA(player_, 7);
        EXPECT_FALSE(item7.empty()) << file;
        EXPECT_NE(item7, "0") << file;
        EXPECT_EQ(E().APlayer_GetDuration(player_), 0) << file;
    }
}

TEST_F(APlayerPlayback, SeeksLandWithinHalfASecond) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    ASSERT_EQ(E().APlayer_Pause(player_), 0);
    ASSERT_TRUE(WaitForState(3));
    // The clip has one key frame, so landing near the target means an exact seek.
    for (const int target : {6300, 1200, 8750}) {
        ASSERT_EQ(E().APlayer_SetPosition(player_, target), 0);
        EXPECT_EQ(E().APlayer_GetPosition(player_), target) << "target answered at once";
        ASSERT_TRUE(WaitUntil([&] { return E().APlayer_IsSeeking(player_) == 0; }));
        RunEventsFor(200ms);
        EXPECT_NEAR(E().APlayer_GetPosition(player_), target, 500);
    }
    // Left arrow at the start: no lower bound in the caller, so the engine clamps.
    ASSERT_EQ(E().APlayer_SetPosition(player_, -5000), 0);
    ASSERT_TRUE(WaitUntil([&] { return E().APlayer_IsSeeking(player_) == 0; }));
    RunEventsFor(200ms);
    EXPECT_LT(E().APlayer_GetPosition(player_), 500);
    EXPECT_EQ(E().APlayer_GetState(player_), 3) << "seeking keeps the pause";
}

// The media time that passes per second of wall-clock time while the event loop runs
// for `window`: the slope of a least-squares line through position samples, so one
// late sample on a loaded machine moves it little.
double MediaSecondsPerSecond(APlayerHandle player, std::chrono::milliseconds window) {
    std::vector<std::pair<double, double>> samples;  // (wall s, media s)
    const auto start = std::chrono::steady_clock::now();
    WaitUntil(
        [&] {
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            samples.emplace_back(wall, E().APlayer_GetPosition(player) / 1000.0);
            std::this_thread::sleep_for(20ms);
            return wall > std::chrono::duration<double>(window).count();
        },
        window + 5s);
    double mean_wall = 0;
    double mean_media = 0;
    for (const auto& [wall, media] : samples) {
        mean_wall += wall / static_cast<double>(samples.size());
        mean_media += media / static_cast<double>(samples.size());
    }
    double covariance = 0;
    double variance = 0;
    for (const auto& [wall, media] : samples) {
        covariance += (wall - mean_wall) * (media - mean_media);
        variance += (wall - mean_wall) * (wall - mean_wall);
    }
    return variance > 0 ? covariance / variance : 0;
}

// A ratio of two rates measured alike, not a wall-clock window: a loaded machine slows
// both, a wrong speed (100, 150, 400 for 200) still shows.
TEST_F(APlayerPlayback, SpeedTwoHundredPlaysTwiceAsFastAsOneHundred) {
    ASSERT_EQ(E().APlayer_SetConfigA(player_, 104, "200"), 0);
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 104), "200");
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    RunEventsFor(300ms);
    const double at_200 = MediaSecondsPerSecond(player_, 1500ms);
    ASSERT_EQ(E().APlayer_SetConfigA(player_, 104, "100"), 0);
    RunEventsFor(300ms);
    const double at_100 = MediaSecondsPerSecond(player_, 1500ms);
    ASSERT_GT(at_100, 0.3) << "playing at all";
    EXPECT_NEAR(at_200 / at_100, 2.0, 0.3) << at_200 << " against " << at_100;
}

// mpv refuses a command while its queue of unread replies is full, as when the GUI
// thread did not return to its event loop for a thousand calls. A refused open ends in
// 0 with an error as item 7, so the player neither waits for ever nor moves on; so does
// one closed while it waits for the refusal.
TEST_F(APlayerPlayback, AnOpenThatMpvRefusesEndsInZeroWithAnError) {
    for (const bool close_at_once : {false, true}) {
        CallbackLog::Get().Clear();
        for (int i = 0; i < 1100; ++i)
            E().APlayer_SetVolume(player_, 50);
        ASSERT_EQ(E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str()), 0);
        EXPECT_EQ(E().APlayer_GetState(player_), 1);
        if (close_at_once) {
            EXPECT_EQ(E().APlayer_Close(player_), 0);
        }
        ASSERT_TRUE(WaitForState(0, 5s)) << "close at once: " << close_at_once;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0}));
        const std::string item7 = E().APlayer_GetConfigA(player_, 7);
        EXPECT_FALSE(item7.empty());
        EXPECT_NE(item7, "0");
    }
    // Once mpv has answered what it was asked and the queue was read, files open again.
    bool plays = false;
    WaitUntil([&] {
        CallbackLog::Get().Clear();
        E().APlayer_OpenA(player_, Media("clip_2s.mkv").c_str());
        WaitUntil([] { return CallbackLog::Get().Reached(0) || CallbackLog::Get().Reached(5); });
        plays = CallbackLog::Get().Reached(5);
        return plays;
    });
    EXPECT_TRUE(plays);
}

// A call that mpv refuses while its queue of replies is full answers -1 and changes
// nothing; made again once the event loop ran, it does what it says.
TEST_F(APlayerPlayback, CallsThatMpvRefusesAnswerFailureAndChangeNothing) {
    struct Call {
        const char* name;
        int from_state;
        std::function<int()> make;
        std::function<bool()> done;
    };
    const std::vector<Call> calls = {
        {"pause", 5, [&] { return E().APlayer_Pause(player_); },
         [&] { return E().APlayer_GetState(player_) == 3; }},
        {"play", 3, [&] { return E().APlayer_Play(player_); },
         [&] { return E().APlayer_GetState(player_) == 5; }},
        {"seek", 5, [&] { return E().APlayer_SetPosition(player_, 8000); },
         [&] {
             return E().APlayer_IsSeeking(player_) == 0 && E().APlayer_GetPosition(player_) >= 8000;
         }},
        {"speed", 5, [&] { return E().APlayer_SetConfigA(player_, 104, "200"); },
         [&] { return std::string(E().APlayer_GetConfigA(player_, 104)) == "200"; }},
        {"volume", 5, [&] { return E().APlayer_SetVolume(player_, 80); },
         [&] { return E().APlayer_GetVolume(player_) == 80; }},
    };
    for (const auto& call : calls) {
        CallbackLog::Get().Clear();
        ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv"))) << call.name;
        if (call.from_state == 3) {
            ASSERT_EQ(E().APlayer_Pause(player_), 0);
            ASSERT_TRUE(WaitForState(3)) << call.name;
        }
        const auto before = CallbackLog::Get().StateSequence();
        for (int i = 0; i < 1100; ++i)
            E().APlayer_SetVolume(player_, 50);
        EXPECT_EQ(call.make(), -1) << call.name << " refused by mpv";
        RunEventsFor(300ms);
        EXPECT_FALSE(call.done()) << call.name << " happened after all";
        EXPECT_EQ(CallbackLog::Get().StateSequence(), before) << call.name;
        EXPECT_EQ(call.make(), 0) << call.name << " once the queue was read";
        EXPECT_TRUE(WaitUntil(call.done, 5s)) << call.name;
        E().APlayer_SetConfigA(player_, 104, "100");
        E().APlayer_SetVolume(player_, 50);
        ASSERT_EQ(E().APlayer_Close(player_), 0);
        ASSERT_TRUE(WaitForState(0));
    }
}

TEST_F(APlayerPlayback, ConfigurationItemsAcceptOnlyTheirValues) {
    for (const char* rejected : {"49", "401", "abc", "", "1 00", "150x"})
        EXPECT_EQ(E().APlayer_SetConfigA(player_, 104, rejected), -1) << rejected;
    EXPECT_EQ(E().APlayer_SetConfigA(player_, 104, nullptr), -1);
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 104), "100");
    for (const char* accepted : {"50", "150", "400"})
        EXPECT_EQ(E().APlayer_SetConfigA(player_, 104, accepted), 0) << accepted;
    EXPECT_EQ(E().APlayer_SetConfigW(player_, 104, u"100"), 0);
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 104), "100");

    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 201), "1");
    EXPECT_EQ(E().APlayer_SetConfigA(player_, 201, "3"), -1);
    EXPECT_EQ(E().APlayer_SetConfigA(player_, 201, "0"), -1);
    EXPECT_EQ(E().APlayer_SetConfigA(player_, 201, "2"), 0);
    EXPECT_EQ(std::u16string(E().APlayer_GetConfigW(player_, 201)), u"2");

    EXPECT_EQ(E().APlayer_SetConfigA(player_, 7, "0"), -1) << "item 7 is the engine's";
    EXPECT_EQ(E().APlayer_SetConfigA(player_, 999, "1"), -1);
    EXPECT_STREQ(E().APlayer_GetConfigA(player_, 999), "");

    // The text of one item stays put while another is read.
    const char* speed = E().APlayer_GetConfigA(player_, 104);
    E().APlayer_GetConfigA(player_, 201);
    EXPECT_STREQ(speed, "100");
}

TEST_F(APlayerPlayback, CallsOutOfTheirStateAreRefusedWithoutCallbacks) {
    EXPECT_EQ(E().APlayer_Close(player_), -1);
    EXPECT_EQ(E().APlayer_Play(player_), -1);
    EXPECT_EQ(E().APlayer_Pause(player_), -1);
    EXPECT_EQ(E().APlayer_SetPosition(player_, 1000), -1);
    EXPECT_EQ(E().APlayer_OpenA(player_, nullptr), -1);
    EXPECT_EQ(E().APlayer_OpenA(player_, ""), -1);
    RunEventsFor(100ms);
    EXPECT_TRUE(CallbackLog::Get().StateSequence().empty());

    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    EXPECT_EQ(E().APlayer_OpenA(player_, Media("clip_2s.mkv").c_str()), -1) << "close first";
    EXPECT_EQ(E().APlayer_Play(player_), -1) << "already playing";

    // Unknown and stale handles are refused, not followed.
    int not_an_engine = 0;
    EXPECT_EQ(E().APlayer_GetState(&not_an_engine), 0);
    EXPECT_EQ(E().APlayer_Close(&not_an_engine), -1);
    EXPECT_EQ(E().APlayer_GetWindow(nullptr), nullptr);
    EXPECT_EQ(E().APlayer_Destroy(nullptr), -1);
}

TEST_F(APlayerPlayback, CloseWhileOpeningGoesStraightToZero) {
    ASSERT_EQ(E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str()), 0);
    EXPECT_EQ(E().APlayer_GetState(player_), 1);
    EXPECT_EQ(E().APlayer_Close(player_), 0);
    ASSERT_TRUE(WaitForState(0));
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0}));
    EXPECT_EQ(E().APlayer_GetPosition(player_), 0);
}

// mpv's built-in scripts (statistics overlay, console, automatic profiles) would each
// run a Lua interpreter on a thread of its own in the player for nothing.
TEST_F(APlayerPlayback, NoneOfMpvsScriptsRuns) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
    std::vector<std::string> scripts;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (name.find("script") != std::string::npos)
            scripts.push_back(name);
    }
    EXPECT_TRUE(scripts.empty()) << scripts.front();
}

TEST_F(APlayerPlayback, VolumeStaysWithinZeroToHundred) {
    EXPECT_EQ(E().APlayer_GetVolume(player_), 50);
    E().APlayer_SetVolume(player_, 150);
    EXPECT_EQ(E().APlayer_GetVolume(player_), 100);
    E().APlayer_SetVolume(player_, -5);
    EXPECT_EQ(E().APlayer_GetVolume(player_), 0);
    E().APlayer_SetVolume(player_, 70);
    EXPECT_EQ(E().APlayer_GetVolume(player_), 70);
}

// The player's lesson opener: close, wait for 0, open, wait for 5, from its own thread,
// while the GUI thread runs its event loop.
TEST_F(APlayerPlayback, AnOpenerThreadDrivesTheEngineWhileCallbacksStayOnTheGuiThread) {
    std::atomic<bool> done = false;
    std::atomic<int> opened = -2;
    std::thread opener([&] {
        E().APlayer_Close(player_);
        while (E().APlayer_GetState(player_) != 0)
            std::this_thread::sleep_for(20ms);
        opened = E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str());
        for (int i = 0; i < 500 && E().APlayer_GetState(player_) != 5; ++i)
            std::this_thread::sleep_for(20ms);
        E().APlayer_SetPosition(player_, 4000);
        E().APlayer_Close(player_);
        while (E().APlayer_GetState(player_) != 0)
            std::this_thread::sleep_for(20ms);
        done = true;
    });
    const bool finished = WaitUntil([&] { return done.load(); }, 20s);
    opener.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(opened, 0);
    RunEventsFor(100ms);
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0}));
    const auto all = States();
    EXPECT_GE(all[3].position_ms, 4000) << "the seek target survives into 6";
    for (const auto& call : all)
        EXPECT_TRUE(call.on_gui_thread);
}

}  // namespace
}  // namespace tessal::aplayer::test
