// PlayerList.ini saved and loaded again, and the playlist's folder scans, on lesson
// files in a temporary folder.

#include "player/core/player_list.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "common/base/atomic_write.h"
#include "common/settings/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal::player {

bool operator==(const PlaylistLesson& a, const PlaylistLesson& b) {
    return a.name == b.name && a.path == b.path;
}
bool operator==(const PlaylistCourse& a, const PlaylistCourse& b) {
    return a.name == b.name && a.lessons == b.lessons;
}
void PrintTo(const PlaylistCourse& course, std::ostream* out) {
    *out << course.name << ":";
    for (const PlaylistLesson& lesson : course.lessons) {
        *out << " [" << lesson.name << " " << lesson.path << "]";
    }
}

namespace {

namespace fs = std::filesystem;

class PlayerListTest : public ::testing::Test {
protected:
    // A lesson file on disk and its playlist entry.
    PlaylistLesson Lesson(const std::string& relative) {
        const fs::path file = folder_.Write(relative, "");
        return {file.filename().string(), file.string()};
    }

    PlaylistCourses SaveAndLoad(const PlaylistCourses& courses) {
        EXPECT_TRUE(SavePlayerList(ini_, courses));
        return LoadPlayerList(ini_);
    }

    TempFolder folder_;
    TempFolder locks_;
    ScopedEnvironment runtime_{"XDG_RUNTIME_DIR", locks_.path().string()};
    fs::path ini_ = folder_.path() / kPlayerListFile;
};

TEST_F(PlayerListTest, ComesBackAsSaved) {
    const PlaylistCourses courses = {
        {"会计实务", {Lesson("dl/会计实务/第1讲.tessal"), Lesson("dl/会计实务/第2讲.tessal")}},
        {"[2024] 税法 ]",
         {Lesson("dl/[2024] 税法 ]/第1讲 [上].tessal"), Lesson("dl/x/ 'quoted' .tessal")}},
        {"Excel", {Lesson("other/Excel 技巧 .TESSAL")}},
    };
    EXPECT_EQ(SaveAndLoad(courses), courses);
    // Saved anew: a course gone from the list is gone from the file.
    EXPECT_EQ(SaveAndLoad({courses[2]}), PlaylistCourses{courses[2]});
    EXPECT_EQ(folder_.FileNames(), (std::vector<std::string>{"PlayerList.ini", "dl", "other"}));
}

TEST_F(PlayerListTest, LessonsWhoseFilesVanishedAreDropped) {
    const PlaylistCourses courses = {
        {"A", {Lesson("A/1.tessal"), Lesson("A/2.tessal")}},
        {"B", {Lesson("B/1.tessal")}},
    };
    ASSERT_TRUE(SavePlayerList(ini_, courses));
    fs::remove(courses[0].lessons[0].path);
    fs::remove(courses[1].lessons[0].path);
    EXPECT_EQ(LoadPlayerList(ini_), (PlaylistCourses{{"A", {courses[0].lessons[1]}}}));
    fs::remove(courses[0].lessons[1].path);
    EXPECT_TRUE(LoadPlayerList(ini_).empty());  // the caller then scans the download folder
}

TEST_F(PlayerListTest, FilesWithoutAListGiveNothing) {
    const std::string path = Lesson("A/1.tessal").path;
    const std::string lessons =
        "[CourseName]\n0=A\n[A]\n0=1.tessal\nindex=0\n[1.tessal]\nFilePath=" + path + "\n";
    for (const std::string& text :
         {std::string(), "[List]\nindex=\n" + lessons, "[List]\nindex=-1\n" + lessons, lessons}) {
        ASSERT_TRUE(WriteFileAtomically(ini_, text));
        EXPECT_TRUE(LoadPlayerList(ini_).empty()) << text;
    }
    EXPECT_TRUE(LoadPlayerList(folder_.path() / "missing.ini").empty());
    ASSERT_TRUE(WriteFileAtomically(ini_, "[List]\nindex=0\n" + lessons));
    EXPECT_EQ(LoadPlayerList(ini_).size(), 1u);
}

// A hand-edited file with stray carriage returns: the names read are the names written
// back, so a save and a load keep every course and lesson.
TEST_F(PlayerListTest, StrayCarriageReturnsReadAsTheBlanksASaveWrites) {
    const std::string path = Lesson("A/1.tessal").path;
    ASSERT_TRUE(WriteFileAtomically(ini_,
                                    "[List]\r\nindex=1\r\n[CourseName]\r\n0=会计\r实务\r\r\n"
                                    "[会计 实务]\r\nindex=0\r\n0=1.tessal\r\r\n"
                                    "[1.tessal]\r\nFilePath=" +
                                        path + "\r\r\n"));
    const PlaylistCourses loaded = LoadPlayerList(ini_);
    EXPECT_EQ(loaded, (PlaylistCourses{{"会计 实务", {{"1.tessal", path}}}}));
    EXPECT_EQ(SaveAndLoad(loaded), loaded);
}

TEST_F(PlayerListTest, TheSameFolderAddedTwiceComesBackAsOneCourseWithEachLessonTwice) {
    Lesson("dl/会计/第1讲.tessal");
    Lesson("dl/会计/第2讲.tessal");
    const auto course = ReadLessonFolder(folder_.path() / "dl");
    ASSERT_TRUE(course);
    const PlaylistCourses loaded = SaveAndLoad({*course, *course});
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].name, "会计");
    const auto& l = course->lessons;
    EXPECT_EQ(loaded[0].lessons, (std::vector<PlaylistLesson>{l[0], l[1], l[0], l[1]}));
}

// Courses whose names share one section of the file keep every lesson (written apart,
// the later course's lesson keys would overwrite the earlier one's).
TEST_F(PlayerListTest, CoursesSharingASectionLoseNoLesson) {
    const PlaylistLesson a = Lesson("one/Java/a.tessal");
    const PlaylistLesson b = Lesson("one/Java/b.tessal");
    const PlaylistLesson c = Lesson("two/java/c.tessal");
    const PlaylistLesson d = Lesson("two/List/d.tessal");
    EXPECT_EQ(SaveAndLoad({{"Java", {a, b}}, {"Java", {c}}}),
              (PlaylistCourses{{"Java", {a, b, c}}}));
    EXPECT_EQ(SaveAndLoad({{"Java", {a, b}}, {"java", {c}}}),
              (PlaylistCourses{{"Java", {a, b, c}}}));
    EXPECT_EQ(SaveAndLoad({{"List", {a, b, c}}, {"X", {d}}}),
              (PlaylistCourses{{"List", {a, b, c}}, {"X", {d}}}));
    EXPECT_EQ(SaveAndLoad({{"A", {a}}, {"List", {b}}, {"B", {c}}, {"C", {d}}}),
              (PlaylistCourses{{"A", {a}}, {"List", {b}}, {"B", {c}}, {"C", {d}}}));
}

TEST_F(PlayerListTest, SameLessonNamesInTwoCoursesKeepTheirOwnPaths) {
    const PlaylistCourses courses = {
        {"会计", {Lesson("会计/第1讲.tessal")}},
        {"税法", {Lesson("税法/第1讲.tessal")}},
    };
    EXPECT_EQ(SaveAndLoad(courses), courses);
    // Readers of the older layout find the lesson's one path: the last written.
    EXPECT_EQ(ReadProfileString(ini_, "第1讲.tessal", "FilePath", "", 4096),
              courses[1].lessons[0].path);
}

// Written before each course kept its lessons' paths: every lesson of one name plays
// the path written last.
TEST_F(PlayerListTest, AFileOfTheOlderLayoutLoads) {
    Lesson("会计/第1讲.tessal");
    const std::string second = Lesson("税法/第1讲.tessal").path;
    const std::string other = Lesson("税法/第2讲.tessal").path;
    ASSERT_TRUE(WriteFileAtomically(
        ini_,
        "[List]\r\nindex=2\r\n[CourseName]\r\n0=会计\r\n1=税法\r\n[会计]\r\n0=第1讲.tessal\r\n"
        "index=0\r\n[第1讲.tessal]\r\nFilePath=" +
            second +
            "\r\n[税法]\r\n0=第1讲.tessal\r\n1=第2讲.tessal\r\nindex=1\r\n"
            "[第2讲.tessal]\r\nFilePath=" +
            other + "\r\n"));
    EXPECT_EQ(LoadPlayerList(ini_),
              (PlaylistCourses{{"会计", {{"第1讲.tessal", second}}},
                               {"税法", {{"第1讲.tessal", second}, {"第2讲.tessal", other}}}}));
}

TEST_F(PlayerListTest, AtMost1024CoursesAreSaved) {
    const PlaylistLesson lesson = Lesson("c/1.tessal");
    PlaylistCourses courses;
    for (int i = 0; i < kMaxSavedCourses + 1; ++i) {
        courses.push_back({"course " + std::to_string(i), {lesson}});
    }
    const PlaylistCourses loaded = SaveAndLoad(courses);
    ASSERT_EQ(loaded.size(), static_cast<std::size_t>(kMaxSavedCourses));
    EXPECT_EQ(loaded.back().name, "course 1023");
    EXPECT_EQ(ReadProfileString(ini_, "List", "index", ""), "1023");
}

TEST_F(PlayerListTest, EntriesWithoutNameOrPathAreNotSaved) {
    const PlaylistLesson kept = Lesson("c/1.tessal");
    EXPECT_EQ(SaveAndLoad({{"", {kept}},
                           {"A", {{"", kept.path}, {"1.tessal", ""}, kept}},
                           {"CourseName", {kept}},
                           {"B", {}}}),
              (PlaylistCourses{{"A", {kept}}}));
    EXPECT_TRUE(SaveAndLoad({{"", {kept}}}).empty());
}

TEST_F(PlayerListTest, TheFallbackScanNamesCoursesAfterTheirFolders) {
    const PlaylistLesson direct = Lesson("下载的课程/直接.TESSAL");
    const PlaylistLesson nested = Lesson("下载的课程/会计/章/节.tessal");
    const PlaylistLesson first = Lesson("下载的课程/会计/1.tessal");
    const PlaylistLesson second = Lesson("下载的课程/税法/2.Tessal");
    folder_.Write("下载的课程/税法/notes.txt", "");
    // Walk order: names byte by byte, a folder's files where its name falls.
    const PlaylistCourses expected = {
        {"会计", {first}}, {"章", {nested}}, {"下载的课程", {direct}}, {"税法", {second}}};
    EXPECT_EQ(ScanLessonFolder(folder_.path() / "下载的课程"), expected);
    EXPECT_EQ(ScanLessonFolder(folder_.path().string() + "/下载的课程/"), expected);
    EXPECT_TRUE(ScanLessonFolder(folder_.path() / "missing").empty());
}

TEST_F(PlayerListTest, AnAddedFolderIsOneCourseNamedByItsFirstLesson) {
    EXPECT_FALSE(ReadLessonFolder(folder_.path()));
    folder_.Write("选的/notes.txt", "");
    EXPECT_FALSE(ReadLessonFolder(folder_.path() / "选的"));
    const PlaylistLesson a = Lesson("选的/第一章/a.tessal");
    const PlaylistLesson b = Lesson("选的/第二章/b.TESSAL");
    EXPECT_EQ(ReadLessonFolder(folder_.path() / "选的"), (PlaylistCourse{"第一章", {a, b}}));
}

}  // namespace
}  // namespace tessal::player
