#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <set>

#include "common/base/atomic_write.h"
#include "site/builders/cache_database_builder.h"
#include "site/builders/course_database_builder.h"
#include "tests/site/builders/query_rows.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

DemoData LoadDemo() {
    DemoData data;
    std::string error;
    EXPECT_TRUE(LoadDemoData(TESSAL_DEMO_DATA_DIR, data, error)) << error;
    return data;
}

// Limits how large a file this process may write, so that a build fails part-way even
// when the tests run as root (for whom no folder is read-only).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_handler_)(int) = nullptr;
};

class CourseDatabaseBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = LoadDemo();
        std::string error;
        ASSERT_TRUE(BuildCourseDatabase(data_, urls_, file_, error)) << error;
    }

    DemoData data_;
    SiteUrls urls_{SiteAddresses(30000)};
    TempFolder folder_;
    fs::path file_ = folder_.path() / "Course.dll";
};

TEST_F(CourseDatabaseBuilder, AnswersTheClientsChapterAndDownloadQueries) {
    EXPECT_EQ(QueryRows(file_,
                        "SELECT Fchapter from  t_lesson WHERE Fcoursename='会计基础入门' "
                        "GROUP BY Fchapter ORDER BY Fsort"),
              (Rows{"第一章 会计概述", "第二章 会计科目"}));
    EXPECT_EQ(QueryRows(file_, "SELECT Fname FROM t_lesson WHERE Fchapter=? ORDER BY Fsort",
                        {"第2章 基本语法"}),
              (Rows{"变量与类型", "条件与循环", "函数"}));
    // Download host 3 is the ninth host of the site; the name stays raw UTF-8.
    EXPECT_EQ(QueryRows(file_, "SELECT Fdownurl FROM t_lesson WHERE Fid=10104"),
              Rows{"http://127.0.0.1:30008/lessons/101/借贷记账法.tessal"});
    EXPECT_EQ(QueryRows(file_, "SELECT Fdownurl FROM t_lesson WHERE Fid=10202"),
              Rows{"http://127.0.0.1:30007/lessons/102/sw102-02.tessal?v=2"});
    EXPECT_EQ(QueryRows(file_, "SELECT Fcourseimg FROM t_course WHERE FCourseid=101"),
              Rows{"http://127.0.0.1:30000/upload/course/course-101.jpg"});
}

TEST_F(CourseDatabaseBuilder, HoldsEveryRowInDataOrderWithTheColumnTypesTheClientReads) {
    Rows course_ids;
    Rows lesson_ids;
    for (const Course& course : data_.courses) {
        course_ids.push_back(std::to_string(course.id));
        for (const Lesson& lesson : course.lessons) {
            lesson_ids.push_back(std::to_string(lesson.id));
        }
    }
    EXPECT_EQ(QueryRows(file_, "SELECT FCourseid FROM t_course ORDER BY rowid"), course_ids);
    EXPECT_EQ(QueryRows(file_, "SELECT Fid FROM t_lesson ORDER BY rowid"), lesson_ids);
    EXPECT_EQ(QueryRows(file_, "SELECT Fname FROM t_lesontype ORDER BY rowid"), data_.course_types);
    EXPECT_EQ(QueryRows(file_,
                        "SELECT DISTINCT typeof(FCourseid) || typeof(Fnumoflikes) || "
                        "typeof(Fnumofclick) || typeof(Fiscomplete) FROM t_course"),
              Rows{"integerrealrealtext"});
    EXPECT_EQ(QueryRows(file_, "SELECT Fnumoflikes FROM t_course WHERE FCourseid=101"),
              Rows{"5.9"});
    EXPECT_EQ(QueryRows(file_, "SELECT DISTINCT typeof(Fsort) || typeof(FCourseid) FROM t_lesson"),
              Rows{"integerinteger"});
}

TEST_F(CourseDatabaseBuilder, CoversEveryTypeLevelAndCompletionState) {
    for (const std::string& type : data_.course_types) {
        EXPECT_NE(QueryRows(file_, "SELECT COUNT(*) FROM t_course WHERE Ftype=?", {type}),
                  Rows{"0"})
            << type;
    }
    EXPECT_EQ(QueryRows(file_, "SELECT DISTINCT Flevel FROM t_course ORDER BY Flevel"),
              (Rows{"中级", "初级", "高级"}));
    EXPECT_EQ(QueryRows(file_, "SELECT DISTINCT Fiscomplete FROM t_course ORDER BY 1"),
              (Rows{"0", "1"}));
}

TEST_F(CourseDatabaseBuilder, ReplacesWhateverTheTargetHeld) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file_, "not a database at all"));
    ASSERT_TRUE(BuildCourseDatabase(data_, urls_, file_, error)) << error;
    EXPECT_EQ(QueryRows(file_, "SELECT COUNT(*) FROM t_lesontype"), Rows{"4"});

    DemoData fewer = data_;
    fewer.courses.resize(1);
    ASSERT_TRUE(BuildCourseDatabase(fewer, urls_, file_, error)) << error;
    EXPECT_EQ(QueryRows(file_, "SELECT COUNT(*) FROM t_course"), Rows{"1"});
    EXPECT_EQ(folder_.FileNames(), Rows{"Course.dll"});
}

TEST_F(CourseDatabaseBuilder, AFailedBuildLeavesTheOldFileAndNoTemporary) {
    const std::string old_bytes = FileContents(file_);
    ASSERT_FALSE(old_bytes.empty());
    std::string error;
    {
        const FileSizeLimit limit(1024);
        EXPECT_FALSE(BuildCourseDatabase(data_, urls_, file_, error));
    }
    EXPECT_NE(error.find(file_.string()), std::string::npos) << error;
    EXPECT_EQ(FileContents(file_), old_bytes);
    EXPECT_EQ(folder_.FileNames(), Rows{"Course.dll"});

    error.clear();
    const fs::path elsewhere = folder_.path() / "missing" / "Course.dll";
    EXPECT_FALSE(BuildCourseDatabase(data_, urls_, elsewhere, error));
    EXPECT_NE(error.find(elsewhere.string()), std::string::npos) << error;
}

TEST(CacheDatabaseBuilder, HasTheTwoEmptyTablesAndAnIntegerMessageType) {
    TempFolder folder;
    const fs::path file = folder.path() / "cache.dll";
    std::string error;
    ASSERT_TRUE(BuildCacheDatabase(file, error)) << error;
    EXPECT_EQ(QueryRows(file, "SELECT name FROM pragma_table_info('t_Message')"),
              (Rows{"FAccount", "FContent", "Furl", "Ftype", "Ftime"}));
    EXPECT_EQ(QueryRows(file, "SELECT name FROM pragma_table_info('t_PlayProgress')"),
              (Rows{"FlessonName", "Ftime"}));
    EXPECT_EQ(QueryRows(file, "SELECT COUNT(*) FROM t_Message"), Rows{"0"});
    EXPECT_EQ(QueryRows(file, "SELECT COUNT(*) FROM t_PlayProgress"), Rows{"0"});

    // The client stores the type as text and later asks for it as a number.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "INSERT INTO t_Message (FAccount, Ftype) VALUES ('demo', '1')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(QueryRows(file, "SELECT FAccount FROM t_Message WHERE Ftype=1"), Rows{"demo"});

    // Rebuilding gives the shipped, empty state again.
    ASSERT_TRUE(BuildCacheDatabase(file, error)) << error;
    EXPECT_EQ(QueryRows(file, "SELECT COUNT(*) FROM t_Message"), Rows{"0"});
    EXPECT_EQ(folder.FileNames(), Rows{"cache.dll"});
}

TEST(CacheDatabaseBuilder, FailsNamingTheFileWhenItsFolderIsMissing) {
    TempFolder folder;
    const fs::path file = folder.path() / "cache" / "cache.dll";
    std::string error;
    EXPECT_FALSE(BuildCacheDatabase(file, error));
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder.path() / "cache"));
}

}  // namespace
}  // namespace tessal::site
