// What the playlist holds: the saved list or the download folder at start, folders and
// files the member adds, and what a restart gives back of it.

#include <QApplication>
#include <atomic>
#include <optional>
#include <thread>

#include "player/core/player_list.h"
#include "player/window/lesson_folder_reader.h"
#include "tests/player/playlist/playlist_fixture.h"

namespace tessal::player::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;

TEST_F(PlaylistTest, TheDownloadFolderFillsTheTreeWhenTheSavedListYieldsNoLesson) {
    const auto first = Write("TessalDownload/会计/第1课.tessal");
    const auto second = Write("TessalDownload/会计/第2课.TESSAL");
    const auto loose = Write("TessalDownload/直接.tessal");
    Write("TessalDownload/会计/notes.txt");
    const auto saved = Write("saved/Python/入门.tessal");
    const std::vector<ShownCourse> scanned = {
        {"会计", {"第1课.tessal", "第2课.TESSAL"}, {Text(first), Text(second)}},
        {"TessalDownload", {"直接.tessal"}, {Text(loose)}},
    };
    struct Case {
        const char* name;
        std::optional<PlaylistCourses> saved;  // nullopt: no file at all
        std::vector<ShownCourse> shown;
    };
    const Case cases[] = {
        {"no saved list", std::nullopt, scanned},
        {"an empty saved list", PlaylistCourses{}, scanned},
        {"a saved list whose files are all gone",
         PlaylistCourses{{"旧课", {{"gone.tessal", (folder_.path() / "gone.tessal").string()}}}},
         scanned},
        {"a saved list with a lesson still there",
         PlaylistCourses{{"Python", {{"入门.tessal", saved.string()}}}},
         {{"Python", {"入门.tessal"}, {Text(saved)}}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const auto ini = folder_.path() / kPlayerListFile;
        std::filesystem::remove(ini);
        if (test.saved) {
            ASSERT_TRUE(SavePlayerList(ini, *test.saved));
        }
        MakePanel().Load();
        EXPECT_EQ(Shown(), test.shown);
    }
}

TEST_F(PlaylistTest, AFolderAddedTwiceGivesTwoCoursesThatARestartMakesOne) {
    const auto a = Write("lessons/Python/a.tessal");
    const auto b = Write("lessons/Python/b.tessal");
    AddFolder(folder_.path() / "lessons");
    AddFolder(folder_.path() / "lessons");
    const ShownCourse python{"Python", {"a.tessal", "b.tessal"}, {Text(a), Text(b)}};
    EXPECT_EQ(Shown(), (std::vector<ShownCourse>{python, python}));
    ASSERT_TRUE(Panel().Save());

    MakePanel().Load();
    const std::vector<ShownCourse> merged = {
        {"Python",
         {"a.tessal", "b.tessal", "a.tessal", "b.tessal"},
         {Text(a), Text(b), Text(a), Text(b)}},
    };
    EXPECT_EQ(Shown(), merged);
}

TEST_F(PlaylistTest, LessonsOfOneFileNameInTwoCoursesKeepTheirOwnPathsAfterARestart) {
    const auto in_a = Write("lessons/A/第1课.tessal");
    const auto in_b = Write("lessons/B/第1课.tessal");
    AddFolder(folder_.path() / "lessons/A");
    AddFolder(folder_.path() / "lessons/B");
    ASSERT_TRUE(Panel().Save());

    MakePanel().Load();
    const std::vector<ShownCourse> expected = {
        {"A", {"第1课.tessal"}, {Text(in_a)}},
        {"B", {"第1课.tessal"}, {Text(in_b)}},
    };
    EXPECT_EQ(Shown(), expected);
}

TEST_F(PlaylistTest, AChosenFileJoinsTheSelectedCourseOrTheSelectedLessonsCourse) {
    Write("lessons/A/a.tessal");
    Write("lessons/B/b.tessal");
    AddFolder(folder_.path() / "lessons/A");
    AddFolder(folder_.path() / "lessons/B");
    const int course_a = Children(kRootItem)[0];
    const int lesson_b = Children(Children(kRootItem)[1])[0];
    const auto chosen = Write("elsewhere/单个.TESSAL");
    file_answer_ = Text(chosen);
    // With nothing selected nothing is asked.
    ClickButton(16);
    EXPECT_EQ(file_dialogs_, 0);

    struct Case {
        const char* name;
        int selected;
        const char* course;
    };
    const Case cases[] = {{"a course", course_a, "A"}, {"a lesson", lesson_b, "B"}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Panel().Select(test.selected);
        // The dialog may move the current directory; the program folder is it afterwards.
        std::filesystem::current_path(folder_.path() / "elsewhere");
        ClickButton(16);
        const int added = LessonItem(test.course, "单个.TESSAL");
        ASSERT_NE(added, kNoItem);
        EXPECT_EQ(Panel().PathOf(added), Text(chosen));
        EXPECT_EQ(Items().Text(added, "name"), "单个.TESSAL");
        EXPECT_EQ(std::filesystem::current_path(), folder_.path());
    }
    EXPECT_EQ(Shown().size(), 2U);
    EXPECT_EQ(file_dialogs_, 2);
}

TEST_F(PlaylistTest, ACancelledDialogOrAFolderWithoutLessonsOnlyLogs) {
    Write("lessons/A/a.tessal");
    Write("papers/readme.txt");
    AddFolder(folder_.path() / "lessons/A");
    Panel().Select(Children(kRootItem)[0]);
    const auto before = Shown();
    struct Case {
        const char* name;
        int button;
        QString folder;
        const char* log;
    };
    const Case cases[] = {
        {"folder dialog cancelled", 15, "", "FolderDialogApi Fail"},
        {"a folder without lesson files", 15, Text(folder_.path() / "papers"),
         "OnAddFolderBtnClick CourseName is null"},
        {"file dialog cancelled", 16, "", "GetOpenFileNameA  fail"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        log_.clear();
        folder_answer_ = test.folder;
        file_answer_.clear();
        ClickButton(test.button);
        Panel().FinishFolderReads();
        EXPECT_EQ(log_, std::vector<std::string>{test.log});
        EXPECT_EQ(Shown(), before);
    }
}

TEST_F(PlaylistTest, NextAndPreviousLessonsStayInTheirCourse) {
    Write("lessons/A/1.tessal");
    Write("lessons/A/2.tessal");
    Write("lessons/B/3.tessal");
    AddFolder(folder_.path() / "lessons/A");
    AddFolder(folder_.path() / "lessons/B");
    const int a = Children(kRootItem)[0];
    const auto lessons = Children(a);
    const int three = Children(Children(kRootItem)[1])[0];
    PlaylistPanel& panel = Panel();
    EXPECT_EQ(panel.NextLesson(lessons[0]), lessons[1]);
    EXPECT_EQ(panel.PreviousLesson(lessons[1]), lessons[0]);
    for (const int none :
         {panel.NextLesson(lessons[1]), panel.PreviousLesson(lessons[0]), panel.NextLesson(three),
          panel.PreviousLesson(three), panel.NextLesson(a), panel.NextLesson(kNoItem)})
        EXPECT_EQ(none, kNoItem);
    EXPECT_TRUE(panel.IsLesson(three));
    EXPECT_FALSE(panel.IsLesson(a));
    EXPECT_EQ(panel.CourseOf(three), Children(kRootItem)[1]);
}

// Folders are read on the reader's thread, one at a time, and come back in the order
// they were added; destroying the reader drops what it had not handed back.
TEST(LessonFolderReaderTest, ReadsOffTheGuiThreadAndHandsBackInOrder) {
    const auto gui_thread = std::this_thread::get_id();
    std::atomic<bool> on_gui_thread = false;
    std::atomic<bool> release = false;
    auto read = [&](const std::filesystem::path& folder) {
        on_gui_thread = on_gui_thread || std::this_thread::get_id() == gui_thread;
        while (folder == "slow" && !release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::optional<PlaylistCourse>(PlaylistCourse{folder.string(), {}});
    };
    std::vector<std::string> done;
    {
        LessonFolderReader reader(read);
        for (const char* folder : {"slow", "fast"})
            reader.Queue(folder, [&](const auto& course) { done.push_back(course->name); });
        QApplication::processEvents();
        EXPECT_TRUE(done.empty());  // the slow walk holds, the window goes on
        release = true;
        reader.Finish();
        EXPECT_EQ(done, (std::vector<std::string>{"slow", "fast"}));
        // Read, but handed back only by the event loop, which runs after the reader went.
        reader.Queue("late", [&](const auto& course) { done.push_back(course->name); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    QApplication::processEvents();
    EXPECT_FALSE(on_gui_thread);
    EXPECT_EQ(done.size(), 2U);
}

}  // namespace
}  // namespace tessal::player::test
