// The catalogue's lookups on a course database of the test's own: each lookup finds its
// row, values are bound (quotes and ";" are text), ids compare as numbers, and a failed
// statement is reported under its label with the statement as it reads.

#include "client/catalogue/catalogue_queries.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT, Fcourseimg TEXT, Ftype TEXT,
                       Fiscomplete TEXT, Flevel TEXT, Fnumoflikes REAL, Fnumofclick REAL);
CREATE TABLE t_lesson (Fid INTEGER, Fname TEXT, Fcoursename TEXT, FCourseid INTEGER,
                       Fdownurl TEXT, Fchapter TEXT, Fsort REAL);
CREATE TABLE t_lesontype (Fname TEXT);
INSERT INTO t_lesontype VALUES ('编程开发'), ('设计创作');
INSERT INTO t_course VALUES (7, 'Python 入门', 'http://img/7.png', '编程开发', '1', '初级', 1, 2),
                            (8, 'O''Reilly; DROP', 'http://img/8.png', '设计创作', '0', '高级', 0, 0);
INSERT INTO t_lesson VALUES (101, '第一课', 'Python 入门', 7, 'http://dl/101.tessal', '一', 1),
                            (102, '第一课', 'O''Reilly; DROP', 8, 'http://dl/102.tessal', '一', 1);
)sql";

class CatalogueQueriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto file = folder_.path() / "Course.dll";
        sqlite3* made = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &made), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(made, kSchema, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(made);
        std::string error;
        ASSERT_TRUE(database_.Open(file, error)) << error;
    }

    TempFolder folder_;
    CourseDatabase database_;
    std::vector<std::pair<std::string, std::string>> failures_;
    CatalogueQueries queries_{database_, [this](const std::string& label, const std::string& line) {
                                  failures_.emplace_back(label, line);
                              }};
};

TEST_F(CatalogueQueriesTest, EachLookupFindsItsRowWithValuesBoundNotSpliced) {
    using L = CatalogueLookup;
    struct Case {
        CatalogueLookup lookup;
        std::vector<std::string> arguments;
        std::string expected;
    };
    const Case cases[] = {
        {L::kLessonNameId2, {"第一课", "O'Reilly; DROP"}, "102"},  // same name, other course
        {L::kLessonNameId2, {"第一课", "Python 入门"}, "101"},
        {L::kLessonIdtoName, {"101"}, "第一课"},
        {L::kLessonidtoImg, {"102"}, "http://img/8.png"},
        {L::kLessonIdtoUrl, {"101"}, "http://dl/101.tessal"},
        {L::kLessonNametoCourseName, {"第一课", "102"}, "O'Reilly; DROP"},
        {L::kLessonIdtoCourseName, {"101"}, "Python 入门"},
        {L::kCoruseIDtoName, {"8"}, "O'Reilly; DROP"},
        {L::kCourseIdToImgUrl, {"7"}, "http://img/7.png"},
        {L::kCourseNametoID, {"O'Reilly; DROP"}, "8"},
        {L::kCoursNametoType, {"Python 入门"}, "编程开发"},
        {L::kLessonIdtoName, {"999"}, ""},           // no such lesson: empty, no report
        {L::kLessonIdtoName, {"101 OR 1=1"}, ""},    // not a number: matches nothing
        {L::kCourseNametoID, {"x' OR '1'='1"}, ""},  // a quote is just text
    };
    for (const Case& c : cases)
        EXPECT_EQ(queries_.Lookup(c.lookup, c.arguments), c.expected) << c.arguments[0];
    EXPECT_TRUE(failures_.empty());
    EXPECT_EQ(queries_.CourseTypes(), (std::vector<std::string>{"编程开发", "设计创作"}));
    EXPECT_EQ(queries_.Column("SELECT Fname FROM t_lesson WHERE FCourseid=? ORDER BY Fid", {{"8"}}),
              (std::vector<std::string>{"第一课"}));
    EXPECT_EQ(queries_.Column("SELECT Fname FROM t_lesson WHERE Fchapter=?", {{"二"}}),
              std::vector<std::string>{});  // nothing matches: an empty list, no report
    EXPECT_TRUE(failures_.empty());
}

// The box's caption is the label; the log line shows the statement with its values in
// place, never "?"; the one lookup of a name reports under another label.
TEST_F(CatalogueQueriesTest, AFailedStatementIsReportedUnderItsLabelWithItsValues) {
    EXPECT_EQ(queries_.Column("SELECT Fnope FROM t_lesson WHERE Fname=? AND Fid=?",
                              {{"第一课", true}, {"101"}}),
              std::nullopt);
    ASSERT_EQ(failures_.size(), 1U);
    EXPECT_EQ(failures_[0].first, "SqlTY");
    EXPECT_TRUE(failures_[0].second.starts_with(
        "SqlTY sql:SELECT Fnope FROM t_lesson WHERE Fname='第一课' AND Fid=101no such column"))
        << failures_[0].second;

    database_.Close();  // every later lookup fails with its message
    EXPECT_EQ(queries_.Lookup(CatalogueLookup::kLessonIdtoName, {"101"}), "");
    EXPECT_EQ(queries_.Lookup(CatalogueLookup::kCourseNametoID, {"Python 入门"}), "");
    EXPECT_EQ(queries_.CourseTypes(), std::nullopt);
    ASSERT_EQ(failures_.size(), 4U);
    EXPECT_EQ(failures_[1].first, "LessonIdtoUrl");
    EXPECT_EQ(failures_[1].second,
              "LessonIdtoUrl sql:SELECT Fname FROM t_lesson WHERE Fid=101no database");
    EXPECT_EQ(failures_[2].second,
              "CourseNametoID sql:SELECT FCourseid FROM t_course WHERE Fcoursename='Python 入门'no "
              "database");
    EXPECT_EQ(failures_[3].first, "GetCourseType");
}

// The GUI thread and the course-picture thread query at once through the one connection.
TEST_F(CatalogueQueriesTest, TwoThreadsQueryAtOnce) {
    std::vector<std::string> seen(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                seen[t] = queries_.Lookup(CatalogueLookup::kCoruseIDtoName, {t == 0 ? "7" : "8"});
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(seen, (std::vector<std::string>{"Python 入门", "O'Reilly; DROP"}));
    EXPECT_TRUE(failures_.empty());
}

}  // namespace
}  // namespace tessal::client
