// Opens that are closed at any moment, that stall, or that name something other than
// one media file: each ends in 0 without 4, and mpv plays nothing on afterwards.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/engines/video/aplayer_fixture.h"
#include "tests/support/refused_port.h"
#include "tests/support/temp_folder.h"

namespace tessal::aplayer::test {
namespace {

const bool kEnvironment = (UseEnvironment("offscreen", "ao=null,vo=null"), true);

const APlayerFunctions& E() {
    return Api();
}

using APlayerOpening = EngineTest;

// Closes made at every moment of an open, from at once to just before 4: each ends in
// 0 alone, including one that lands after mpv loaded the file but before it told the
// duration, and the file does not play on.
TEST_F(APlayerOpening, ACloseAtAnyMomentOfAnOpenEndsInZeroAlone) {
    int closed_while_opening = 0;
    for (int events_before_close = 0; events_before_close < 80; ++events_before_close) {
        CallbackLog::Get().Clear();
        ASSERT_EQ(E().APlayer_OpenA(player_, Media("clip_10s.mkv").c_str()), 0);
        for (int i = 0; i < events_before_close && E().APlayer_GetState(player_) == 1; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            std::this_thread::sleep_for(100us);
        }
        const bool opening = E().APlayer_GetState(player_) == 1;
        ASSERT_EQ(E().APlayer_Close(player_), 0);
        ASSERT_TRUE(WaitForState(0, 5s))
            << "after " << events_before_close << " event rounds, state "
            << E().APlayer_GetState(player_);
        if (!opening)
            continue;
        ++closed_while_opening;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0}))
            << "after " << events_before_close << " event rounds";
        EXPECT_STREQ(E().APlayer_GetConfigA(player_, 7), "1");
    }
    EXPECT_GT(closed_while_opening, 10) << "too few closes landed while opening";
    RunEventsFor(300ms);
    EXPECT_EQ(E().APlayer_GetState(player_), 0) << "nothing plays on";
}

// mpv waits up to a minute for a server that does not answer, and for ever for a pipe
// without a writer; the player's close must not wait with it, and the next file plays.
TEST_F(APlayerOpening, ACloseEndsAStalledOpenPromptly) {
    TempFolder folder;
    const auto pipe = folder.path() / "lesson.mkv";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    tessal::test::SilentPort server;
    ASSERT_NE(server.port(), 0);
    for (const std::string& path : {server.Url("/lesson.mkv"), pipe.string()}) {
        CallbackLog::Get().Clear();
        ASSERT_EQ(E().APlayer_OpenA(player_, path.c_str()), 0) << path;
        RunEventsFor(500ms);
        ASSERT_EQ(E().APlayer_GetState(player_), 1) << path << " should stall";
        ASSERT_EQ(E().APlayer_Close(player_), 0);
        ASSERT_TRUE(WaitForState(0, 5s)) << path;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0})) << path;

        CallbackLog::Get().Clear();
        ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv"))) << "after " << path;
        ASSERT_EQ(E().APlayer_Close(player_), 0);
        ASSERT_TRUE(WaitForState(0, 5s));
    }
}

// A lesson is one file. mpv would expand a folder, a playlist or an archive into
// entries and play them on while the engine reports 0; each is refused instead, like a
// file mpv cannot read, and the next lesson then opens and plays as usual.
TEST_F(APlayerOpening, WhatIsNotOneMediaFileIsRefused) {
    TempFolder folder;
    const auto first = Media("clip_2s.mkv").string();
    const auto second = Media("clip_10s.mkv").string();
    const auto lessons = folder.path() / "lessons";
    std::filesystem::create_directories(lessons);
    std::filesystem::copy_file(first, lessons / "a.mkv");
    std::filesystem::copy_file(second, lessons / "b.mkv");
    const auto playlist = folder.Write("lessons.m3u", first + "\n" + second + "\n");
    for (const auto& path : {lessons, playlist, Media("lessons.zip")}) {
        CallbackLog::Get().Clear();
        ASSERT_EQ(E().APlayer_OpenA(player_, path.c_str()), 0) << path;
        ASSERT_TRUE(WaitForState(0, 5s)) << path;
        RunEventsFor(500ms);
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 0})) << path;
        const std::string item7 = E().APlayer_GetConfigA(player_, 7);
        EXPECT_TRUE(!item7.empty() && item7 != "0" && item7 != "1") << path << ": " << item7;
        EXPECT_EQ(E().APlayer_GetDuration(player_), 0) << path;

        CallbackLog::Get().Clear();
        ASSERT_TRUE(OpenAndPlay(Media("clip_2s.mkv"))) << "after " << path;
        EXPECT_EQ(CallbackLog::Get().StateSequence(), (std::vector<int>{1, 4, 5})) << path;
        EXPECT_NEAR(E().APlayer_GetDuration(player_), 2000, 100) << path;
        ASSERT_EQ(E().APlayer_Close(player_), 0);
        ASSERT_TRUE(WaitForState(0, 5s));
    }
}

}  // namespace
}  // namespace tessal::aplayer::test
