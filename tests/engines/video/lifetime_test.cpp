// APlayer_Destroy as the player's shutdown uses it: the state changes it delivers before
// it returns, what the callbacks may do meanwhile, a destroy from inside a callback or
// from another thread, and a destroy while another thread reads the engine.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <atomic>
#include <functional>

#include "tests/engines/video/aplayer_fixture.h"

namespace tessal::aplayer::test {
namespace {

const bool kEnvironment = (UseEnvironment("offscreen", "ao=null,vo=null"), true);

const APlayerFunctions& E() {
    return Api();
}

class APlayerLifetime : public EngineTest {
protected:
    // Destroys the engine; the fixture has none left to tear down.
    int Destroy() {
        const int result = E().APlayer_Destroy(player_);
        player_ = nullptr;
        return result;
    }
};

TEST_F(APlayerLifetime, CloseThenDestroyInOneHandlerDeliversSixAndZeroBeforeDestroyReturns) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    RunEventsFor(600ms);
    const int closing_at = E().APlayer_GetPosition(player_);
    ASSERT_GT(closing_at, 300);

    // The player's shutdown: both calls in one handler, no event loop between them.
    EXPECT_EQ(E().APlayer_Close(player_), 0);
    EXPECT_EQ(Destroy(), 0);
    const auto all = States();
    ASSERT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0}));
    EXPECT_EQ(all[3].position_ms, closing_at) << "the closing position, saved at 6";
    EXPECT_NEAR(all[3].duration_ms, 10000, 100);
    EXPECT_EQ(all[4].item7, "1") << "closed, not ended: the player must not move on";
    for (const auto& call : all)
        EXPECT_TRUE(call.on_gui_thread) << "state " << call.state;

    RunEventsFor(300ms);
    EXPECT_EQ(States().size(), all.size()) << "nothing after Destroy returned";
}

// Whatever the engine is doing, Destroy ends it as a close before it returns.
TEST_F(APlayerLifetime, DestroyEndsWhateverIsOpenAsAClose) {
    struct Case {
        const char* name;
        std::function<void()> leave_engine;
        std::vector<int> delivered;
        std::string item7;
    };
    const auto open = [this] { E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str()); };
    const auto play = [this] { ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv"))); };
    const std::vector<Case> cases = {
        {"nothing open", [] {}, {}, ""},
        {"opening", open, {1, 0}, "1"},
        {"playing", play, {1, 4, 5, 6, 0}, "1"},
        {"pausing",
         [&] {
             play();
             E().APlayer_Pause(player_);
         },
         {1, 4, 5, 2, 6, 0},
         "1"},
        {"paused",
         [&] {
             play();
             E().APlayer_Pause(player_);
             ASSERT_TRUE(WaitForState(3));
         },
         {1, 4, 5, 2, 3, 6, 0},
         "1"},
        {"played to its end",
         [this] {
             ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv")));
             ASSERT_TRUE(WaitForState(0, 10s));
         },
         {1, 4, 5, 6, 0},
         "0"},
    };
    for (const auto& test : cases) {
        if (player_ == nullptr)
            player_ = CreateEngine();
        ASSERT_NE(player_, nullptr);
        CallbackLog::Get().Clear();
        test.leave_engine();
        EXPECT_EQ(Destroy(), 0) << test.name;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), test.delivered) << test.name;
        const auto all = States();
        if (!all.empty()) {
            EXPECT_EQ(all.back().item7, test.item7) << test.name;
        }
    }
}

// The handlers of 6 and 0 run while Destroy runs: they read what they need, and nothing
// they call can start anything on the engine that is going away.
TEST_F(APlayerLifetime, CallbacksDuringDestroyCanReadButStartNothing) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    RunEventsFor(300ms);
    const int closing_at = E().APlayer_GetPosition(player_);
    std::vector<int> answers;
    std::vector<std::pair<int, int>> read;
    CallbackLog::Get().on_state = [&](const StateCall&) {
        const auto player = CallbackLog::Get().player;
        read.emplace_back(E().APlayer_GetPosition(player), E().APlayer_GetDuration(player));
        answers.push_back(E().APlayer_OpenA(player, Media("clip_2s.mkv").c_str()));
        answers.push_back(E().APlayer_OpenW(player, u"/lesson.tessal"));
        answers.push_back(E().APlayer_Play(player));
        answers.push_back(E().APlayer_Pause(player));
        answers.push_back(E().APlayer_SetPosition(player, 1000));
        answers.push_back(E().APlayer_Close(player));
        answers.push_back(E().APlayer_SetConfigA(player, 104, "150"));
        answers.push_back(E().APlayer_Destroy(player));
    };
    EXPECT_EQ(Destroy(), 0);
    EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0}));
    EXPECT_EQ(answers, std::vector<int>(16, -1)) << "eight calls in each of 6 and 0";
    ASSERT_EQ(read.size(), 2u);
    for (const auto& [position_ms, duration_ms] : read) {
        EXPECT_EQ(position_ms, closing_at);
        EXPECT_NEAR(duration_ms, 10000, 100);
    }
    EXPECT_EQ(States().back().item7, "1");
}

// A handler may destroy the engine itself: from the state callback, or from the video
// window's input (the window is then removed once its own handler has returned).
TEST_F(APlayerLifetime, DestroyFromInsideACallbackIsSafe) {
    const auto destroy_inside = [this] {
        E().APlayer_Close(player_);
        EXPECT_EQ(Destroy(), 0);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"state callback",
         [&] {
             CallbackLog::Get().on_state = [&](const StateCall& call) {
                 if (call.state == 5)
                     destroy_inside();
             };
             E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str());
         }},
        {"message callback",
         [&] {
             ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
             CallbackLog::Get().on_message = [&](std::uint32_t) { destroy_inside(); };
             QKeyEvent key(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(static_cast<QWidget*>(E().APlayer_GetWindow(player_)),
                                         &key);
         }},
    };
    for (const auto& [name, run] : cases) {
        if (player_ == nullptr)
            player_ = CreateEngine();
        CallbackLog::Get().Clear();
        const APlayerHandle destroyed = player_;
        run();
        ASSERT_TRUE(WaitUntil([&] { return player_ == nullptr; })) << name;
        RunEventsFor(200ms);
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5, 6, 0})) << name;
        EXPECT_EQ(E().APlayer_GetState(destroyed), 0) << name;
        EXPECT_EQ(E().APlayer_Destroy(destroyed), -1) << name;
    }
}

// The player's opener thread may be the one that destroys: the work is done on the GUI
// thread, and the last callbacks have run there when the thread's call returns.
TEST_F(APlayerLifetime, DestroyFromAnotherThreadDeliversOnTheGuiThreadBeforeItReturns) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    std::atomic<int> result = 1;
    std::atomic<std::size_t> delivered_when_returned = 0;
    std::thread other([&] {
        result = E().APlayer_Destroy(player_);
        delivered_when_returned = CallbackLog::Get().StateSequence().size();
    });
    const bool returned = WaitUntil([&] { return result != 1; });
    other.join();
    ASSERT_TRUE(returned);
    player_ = nullptr;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(delivered_when_returned, 5u);
    for (const auto& call : States())
        EXPECT_TRUE(call.on_gui_thread) << "state " << call.state;
}

// The player's opener polls the engine from its own thread while the GUI thread may
// destroy it: every read answers, and texts fetched before the destroy stay the
// thread's to copy after it.
TEST_F(APlayerLifetime, ADestroyWhileAnotherThreadReadsLeavesEveryReadValid) {
    ASSERT_TRUE(OpenAndPlay(Media("clip_10s.mkv")));
    const APlayerHandle player = player_;
    std::atomic<bool> fetched = false;
    std::atomic<bool> destroyed = false;
    std::atomic<bool> finished = false;
    std::string reason;
    std::u16string speed;
    std::vector<int> after;
    std::thread reader([&] {
        E().APlayer_SetVolume(player, 40);  // carried to the GUI thread
        const char* reason_text = E().APlayer_GetConfigA(player, 7);
        const char16_t* speed_text = E().APlayer_GetConfigW(player, 104);
        fetched = true;
        while (!destroyed) {
            E().APlayer_GetState(player);
            E().APlayer_GetPosition(player);
            E().APlayer_GetWindow(player);
        }
        reason = reason_text;
        speed = speed_text;
        after = {E().APlayer_GetState(player), E().APlayer_GetPosition(player),
                 E().APlayer_SetVolume(player, 40), E().APlayer_Play(player)};
        finished = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return fetched.load(); }));
    EXPECT_EQ(Destroy(), 0);
    destroyed = true;
    WaitUntil([&] { return finished.load(); });
    reader.join();
    EXPECT_EQ(reason, "");
    EXPECT_EQ(speed, u"100");
    EXPECT_EQ(after, (std::vector<int>{0, 0, -1, -1}));
}

}  // namespace
}  // namespace tessal::aplayer::test
