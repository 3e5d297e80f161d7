// The download queue's decisions: which item starts next, and what a lesson's task is
// given, from a course database of the test's own.

#include "client/download/download_queue.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "client/catalogue/catalogue_queries.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

TEST(DownloadQueueTest, TheFirstItemNeitherFailedNorPausedStartsWhenNothingRuns) {
    const struct {
        bool running;
        int status;
        std::vector<std::string> states;
        NextTask what;
        std::size_t index;
    } cases[] = {
        {false, 0, {"", "3"}, NextTask::kStart, 0},
        {false, 4, {"1", "2", "5"}, NextTask::kStart, 2},
        {false, 1, {"2x", "0"}, NextTask::kStart, 1},  // read as a number: "2x" is paused
        {true, 0, {""}, NextTask::kRunning, 0},
        {false, 3, {""}, NextTask::kEngineBusy, 0},
        {false, 2, {""}, NextTask::kEngineBusy, 0},
        {false, 0, {}, NextTask::kEmptyList, 0},
        {false, 0, {"1", "2"}, NextTask::kNoneWaiting, 0},
    };
    for (const auto& c : cases) {
        const NextTaskChoice choice = ChooseNextTask(c.running, c.status, c.states);
        EXPECT_EQ(choice.what, c.what) << c.running << " " << c.status;
        if (c.what == NextTask::kStart) {
            EXPECT_EQ(choice.index, c.index);
        }
    }
    EXPECT_STREQ(NextTaskTrace(NextTask::kEmptyList), "列表空");
}

class LessonTaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto file = folder_.path() / "Course.dll";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT,"
                               " Ftype TEXT);"
                               "CREATE TABLE t_lesson (Fid INTEGER, Fname TEXT, Fcoursename TEXT,"
                               " FCourseid INTEGER, Fdownurl TEXT);"
                               "INSERT INTO t_course VALUES (1, '会计', '财会'), (2, '无类', ''),"
                               " (3, '../逃出', '财会');"
                               "INSERT INTO t_lesson VALUES"
                               " (11, '一', '会计', 1, 'http://h2:82/lessons/1/借贷 1.tessal?v=2'),"
                               " (12, '二', '无类', 2, 'http://h1:81/lessons/2/b.tessal'),"
                               " (13, '三', '../逃出', 3, 'http://h1:81/c.tessal'),"
                               " (14, '四', '会计', 1, 'http://h1:81/lessons/'),"
                               " (15, '', '会计', 1, 'http://h1:81/e.tessal');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        std::string error;
        ASSERT_TRUE(database_.Open(file, error)) << error;
    }

    TempFolder folder_;
    CourseDatabase database_;
    CatalogueQueries catalogue_{database_, nullptr};
    TaskSettings settings_{(folder_.path() / "dl").string() + "/", 1, {"h1:81", "h2:82", "h3:83"}};
};

TEST_F(LessonTaskTest, ALessonGoesToItsCourseFolderFromTheChannelsHost) {
    const auto task = PrepareLessonTask(catalogue_, settings_, "11");
    ASSERT_TRUE(task);
    EXPECT_EQ(task->save_folder, folder_.path() / "dl" / "财会" / "会计");
    EXPECT_TRUE(std::filesystem::is_directory(task->save_folder));
    EXPECT_EQ(task->url, "http://h1:81/lessons/1/%E5%80%9F%E8%B4%B7%201.tessal%3Fv%3D2");
    EXPECT_EQ(task->file_name, "%E5%80%9F%E8%B4%B7%201.tessal%3Fv%3D2");

    const auto untyped = PrepareLessonTask(catalogue_, settings_, "12");
    ASSERT_TRUE(untyped);
    EXPECT_EQ(untyped->save_folder, folder_.path() / "dl" / "下载的课程" / "无类");
}

TEST_F(LessonTaskTest, LessonsThatCannotBeStoredAreNotStarted) {
    for (const char* id : {"13", "14", "15", "99"})
        EXPECT_FALSE(PrepareLessonTask(catalogue_, settings_, id)) << id;
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "逃出"));
}

}  // namespace
}  // namespace tessal::client
