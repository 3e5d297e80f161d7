// Playing lessons: resume where a lesson was left (never within its last ten seconds),
// files that are not lessons keep no progress, auto-advance within a course, the
// viewing history, and the end that saves what plays.

#include <QTest>
#include <fstream>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/template_tree.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "engines/video/aplayer.h"
#include "tests/player/window/player_fixture.h"

namespace tessal::player::test {
namespace {

namespace fs = std::filesystem;
using namespace tessal::gui;
using namespace std::chrono_literals;

constexpr int kTenMinutesMs = 600000;

std::vector<fs::path> HistoryFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder / "cache" / "History"))
        files.push_back(entry.path());
    return files;
}

TEST_F(PlayerTest, ALessonStoppedAtTenMinutesResumesThere) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    ASSERT_TRUE(Start(lesson.string()));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    App().playback()->SeekTo(kTenMinutesMs);
    ASSERT_TRUE(WaitForPosition([](int position) { return position >= kTenMinutesMs; }));
    SendEvent(App().window()->element(10), kEventButtonClick);  // stop
    ASSERT_TRUE(WaitForState(kAPlayerClosed));
    App().FlushDiskWrites();
    const auto stored = StoredPosition("lesson_long.tessal");
    ASSERT_TRUE(stored);
    EXPECT_GE(*stored, kTenMinutesMs);
    EXPECT_LT(*stored, kTenMinutesMs + 3000);

    App().playback()->Open("\"" + lesson.string() + "\"");
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    EXPECT_TRUE(WaitForPosition([](int position) { return position >= kTenMinutesMs; }, 10s));
}

TEST_F(PlayerTest, ALessonLeftInItsLastTenSecondsStartsFromTheBeginning) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    StorePosition("lesson_long.tessal", 720000 - 5000);
    ASSERT_TRUE(Start(lesson.string()));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    QTest::qWait(300);  // the resume's waits, shortened, are over by now
    EXPECT_LT(App().engine()->Position(), 5000);
}

TEST_F(PlayerTest, AFileThatIsNotALessonReadsAndWritesNoProgress) {
    const auto clip = AddClip("clip.mkv", "clip.mkv");
    StorePosition("lesson_a.tessal", 1000);
    ASSERT_TRUE(Start(clip.string()));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    App().playback()->SeekTo(1500);
    SendEvent(App().window()->element(10), kEventButtonClick);
    ASSERT_TRUE(WaitForState(kAPlayerClosed));
    App().FlushDiskWrites();
    EXPECT_EQ(StoredPosition("clip.mkv"), std::nullopt);
    EXPECT_EQ(StoredPosition(""), std::nullopt);
    EXPECT_EQ(StoredPosition("lesson_a.tessal"), 1000);
}

TEST_F(PlayerTest, AutoAdvanceStopsAtTheEndOfTheCourse) {
    AddClip("lesson_a.tessal", "TessalDownload/第一课程/lesson_a.tessal");
    AddClip("lesson_b.tessal", "TessalDownload/第一课程/lesson_b.tessal");
    AddClip("lesson_c.tessal", "TessalDownload/第二课程/lesson_c.tessal");
    ASSERT_TRUE(Start());
    PlaylistPanel& playlist = *App().playlist();
    TemplateTree& tree = playlist.tree();
    const int course = playlist.FindCourse("第一课程");
    const int first = tree.FirstChild(course);
    const int second = tree.NextSibling(first);
    ASSERT_NE(second, kNoItem);
    const std::string second_name = playlist.LessonNameOf(second).toStdString();
    App().playback()->PlayItem(first);
    ASSERT_TRUE(WaitUntil([&] { return playlist.current_item() == second; }));
    EXPECT_EQ(playlist.Selected(), second);
    ASSERT_TRUE(WaitUntil([&] { return App().playback()->lesson_title() == second_name; }));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    ASSERT_TRUE(WaitForState(kAPlayerClosed));
    QTest::qWait(500);
    EXPECT_EQ(App().engine()->State(), kAPlayerClosed);
    EXPECT_EQ(App().playback()->lesson_title(), second_name);
    EXPECT_EQ(playlist.current_item(), second);
}

TEST_F(PlayerTest, AViewingIsRecordedOnlyForAMember) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    for (const char* uid : {"", "10001"}) {
        SCOPED_TRACE(uid);
        WriteProfileString(Folder() / "UserInfo.ini", "Login", "userid", uid);
        ASSERT_TRUE(Start(lesson.string()));
        ASSERT_TRUE(WaitForState(kAPlayerPlaying));
        app_.reset();  // the end closes the lesson
    }
    const auto files = HistoryFiles(Folder());
    ASSERT_EQ(files.size(), 1U);
    std::ifstream in(files[0]);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("<uid>10001</uid>"), std::string::npos);
    EXPECT_NE(text.find("<ip>127.0.0.1</ip>"), std::string::npos);
}

TEST_F(PlayerTest, TheEndSavesThePositionOfTheLessonThatPlaysAndStartsNothing) {
    AddClip("lesson_a.tessal", "TessalDownload/课程/lesson_a.tessal");
    const auto long_lesson =
        AddClip("lesson_long.tessal", "TessalDownload/课程/lesson_long.tessal");
    ASSERT_TRUE(Start(long_lesson.string()));
    ASSERT_TRUE(WaitForState(kAPlayerPlaying));
    App().playback()->SeekTo(65000);
    ASSERT_TRUE(WaitForPosition([](int position) { return position >= 65000; }));
    App().Shutdown();
    EXPECT_GE(StoredPosition("lesson_long.tessal").value_or(0), 65000);
    EXPECT_EQ(App().engine()->State(), 0);
}

}  // namespace
}  // namespace tessal::player::test

namespace tessal::player::test {
namespace {

// Until a lesson is taken to where it was left, its stored place is kept: a close before
// that stores nothing, and a seek of the member's wins over the resume still to come.
TEST_F(PlayerTest, TheStoredPlaceSurvivesACloseOrASeekBeforeTheResume) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    StorePosition("lesson_long.tessal", 60000);
    bool stopped = false;
    ASSERT_TRUE(Start());
    App().playback()->SetListener({[&](int state) {
                                       if (state == kAPlayerStarting && !stopped) {
                                           stopped = true;
                                           App().playback()->Stop();
                                       }
                                   },
                                   {},
                                   {},
                                   {},
                                   {}});
    App().playback()->Open(lesson.string());
    ASSERT_TRUE(WaitUntil([&] { return stopped; }));
    ASSERT_TRUE(WaitForState(kAPlayerClosed));
    QTest::qWait(300);
    App().FlushDiskWrites();
    EXPECT_EQ(StoredPosition("lesson_long.tessal"), 60000);

    bool seeked = false;
    App().playback()->SetListener({[&](int state) {
                                       if (state == kAPlayerPlaying && !seeked) {
                                           seeked = true;
                                           App().playback()->SeekTo(90000);
                                       }
                                   },
                                   {},
                                   {},
                                   {},
                                   {}});
    App().playback()->Open(lesson.string());
    ASSERT_TRUE(WaitUntil([&] { return seeked; }));
    QTest::qWait(500);  // the resume's waits, shortened, are over by now
    EXPECT_GE(App().engine()->Position(), 90000);
}

}  // namespace
}  // namespace tessal::player::test
