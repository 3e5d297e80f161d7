#pragma once

// What the engine tests share: the application object, the engine library loaded the
// way the programs load it, a record of the callbacks, the generated media, and a wait
// that keeps the event loop running (callbacks only arrive from it).

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engines/video/loader/aplayer_loader.h"

namespace tessal::aplayer::test {

using namespace std::chrono_literals;

// The application lives until the tests are over and is deleted before exit: Qt's own
// process-wide objects are gone by the time static destructors run.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        delete application;
        application = nullptr;
    }
    static inline QApplication* application = nullptr;
};
inline ::testing::Environment* const kApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The Qt platform and the mpv outputs (TESSAL_APLAYER_MPV_OPTIONS) of this test program;
// set before the application and the first engine exist.
inline void UseEnvironment(const char* platform, const char* mpv_options) {
    ::setenv("QT_QPA_PLATFORM", platform, 1);
    ::setenv("TESSAL_APLAYER_MPV_OPTIONS", mpv_options, 1);
}

inline QApplication& Application() {
    static int argc = 1;
    static char name[] = "aplayer_test";
    static char* argv[] = {name, nullptr};
    if (ApplicationEnvironment::application == nullptr)
        ApplicationEnvironment::application = new QApplication(argc, argv);
    return *ApplicationEnvironment::application;
}

inline const APlayerFunctions& Api() {
    static APlayerLoader loader([](const std::string& text, const std::string&) {
        ADD_FAILURE() << "engine not loaded: " << text;
    });
    static const bool loaded =
        loader.Load(std::filesystem::path(TESSAL_APLAYER_LIBRARY).parent_path());
    EXPECT_TRUE(loaded);
    return loader.functions();
}

inline std::filesystem::path Media(const char* name) {
    return std::filesystem::path(TESSAL_APLAYER_MEDIA_DIR) / name;
}

// Runs the event loop until `done` holds or the time is up; whether it holds.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

inline void RunEventsFor(std::chrono::milliseconds time) {
    WaitUntil([] { return false; }, time);
}

// One state callback as it arrived, with what the engine answered at that moment.
struct StateCall {
    int previous = 0;
    int state = 0;
    bool on_gui_thread = false;
    int position_ms = 0;
    int duration_ms = 0;
    std::string item7;
    std::chrono::steady_clock::time_point time;
};

// The callbacks are plain functions, so the record is process-wide; each test clears it.
struct CallbackLog {
    static CallbackLog& Get() {
        static CallbackLog log;
        return log;
    }
    std::mutex mutex;
    APlayerHandle player = nullptr;
    std::vector<StateCall> states;
    std::vector<std::array<std::intptr_t, 3>> messages;
    // What a test does inside the callbacks, as the player's handlers would; GUI thread.
    std::function<void(const StateCall&)> on_state;
    std::function<void(std::uint32_t message)> on_message;

    std::vector<int> StateSequence() {
        std::lock_guard lock(mutex);
        std::vector<int> sequence;
        for (const auto& call : states)
            sequence.push_back(call.state);
        return sequence;
    }
    bool Reached(int state) {
        std::lock_guard lock(mutex);
        return !states.empty() && states.back().state == state;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        states.clear();
        messages.clear();
        on_state = nullptr;
        on_message = nullptr;
    }
};

inline void OnState(std::int32_t previous, std::int32_t state) {
    auto& log = CallbackLog::Get();
    const auto& engine = Api();
    StateCall call{previous,
                   state,
                   QThread::currentThread() == Application().thread(),
                   0,
                   0,
                   {},
                   std::chrono::steady_clock::now()};
    call.position_ms = engine.APlayer_GetPosition(log.player);
    call.duration_ms = engine.APlayer_GetDuration(log.player);
    call.item7 = engine.APlayer_GetConfigA(log.player, 7);
    {
        std::lock_guard lock(log.mutex);
        log.states.push_back(call);
    }
    if (log.on_state)
        log.on_state(call);
}

// The state calls so far, copied.
inline std::vector<StateCall> States() {
    auto& log = CallbackLog::Get();
    std::lock_guard lock(log.mutex);
    return log.states;
}

inline std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    auto& log = CallbackLog::Get();
    {
        std::lock_guard lock(log.mutex);
        log.messages.push_back(
            {static_cast<std::intptr_t>(message), static_cast<std::intptr_t>(wparam), lparam});
    }
    if (log.on_message)
        log.on_message(message);
    return 0;
}

// An engine with its parent window, destroyed (closed first) at the end of the test.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application();
        ASSERT_NE(Api().APlayer_Create, nullptr);
        CallbackLog::Get().Clear();
        parent_ = std::make_unique<QWidget>();
        parent_->resize(640, 400);
        parent_->show();
        player_ = CreateEngine();
        ASSERT_NE(player_, nullptr);
    }
    void TearDown() override {
        CallbackLog::Get().Clear();
        if (player_ != nullptr) {
            Api().APlayer_Close(player_);
            WaitUntil([&] { return Api().APlayer_GetState(player_) == 0; }, 5s);
            Api().APlayer_Destroy(player_);
        }
        CallbackLog::Get().player = nullptr;
    }

    // A new engine in the parent window, the one the callbacks then ask.
    APlayerHandle CreateEngine() {
        APlayerHandle player =
            Api().APlayer_Create(parent_.get(), 2, 30, 636, 360, OnMessage, OnState, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr);
        CallbackLog::Get().player = player;
        return player;
    }

    // Opens and waits until it plays; the sequence so far.
    bool OpenAndPlay(const std::filesystem::path& file) {
        if (Api().APlayer_OpenA(player_, file.c_str()) != 0)
            return false;
        return WaitUntil([] { return CallbackLog::Get().Reached(5); });
    }
    bool WaitForState(int state, std::chrono::milliseconds limit = 15s) {
        return WaitUntil([&] { return CallbackLog::Get().Reached(state); }, limit);
    }

    std::unique_ptr<QWidget> parent_;
    APlayerHandle player_ = nullptr;
};

}  // namespace tessal::aplayer::test
