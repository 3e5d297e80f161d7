#pragma once

// The catalogue's lookups on the course database: single values by the names the
// windows use, the list of course types, and the general single-column query. Values
// are bound, never spliced: a quote or a ";" inside a course name is just text. Ids are
// bound as integers when they are decimal numbers (the statements compare them
// unquoted) and as text otherwise, which then matches nothing. A failed statement is
// reported with its label and the statement as it reads with its values in place.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/course_database.h"

struct sqlite3_stmt;

namespace tessal::client {

inline constexpr const char* kDatabaseFailureText = "数据库执行错误";

// Called for every failed statement, on the thread that ran it: the label (the box's
// caption) and the daily-log line (label + " sql:" + statement + SQLite's error).
using DatabaseFailureReporter =
    std::function<void(const std::string& label, const std::string& line)>;

// The single-value lookups; each names itself in failure reports.
enum class CatalogueLookup {
    kLessonNameId2,           // lesson name, course name -> lesson id
    kLessonIdtoName,          // lesson id -> lesson name (reported as "LessonIdtoUrl")
    kLessonidtoImg,           // lesson id -> its course's picture URL
    kLessonIdtoUrl,           // lesson id -> download URL
    kLessonNametoCourseName,  // lesson name, lesson id -> course name
    kLessonIdtoCourseName,    // lesson id -> course name
    kCoruseIDtoName,          // course id -> course name
    kCourseIdToImgUrl,        // course id -> picture URL
    kCourseNametoID,          // course name -> course id
    kCoursNametoType,         // course name -> type name
};

// A value for a "?" of a statement: decimal numbers go as integers.
struct SqlValue {
    std::string text;
    bool as_text = false;  // bind as text even when it reads as a number
};

class CatalogueQueries {
public:
    CatalogueQueries(CourseDatabase& database, DatabaseFailureReporter report);

    // The first row's value; empty when there is none or the statement failed.
    std::string Lookup(CatalogueLookup lookup, const std::vector<std::string>& arguments) const;
    // Every type name in the table's order; nothing when the statement failed.
    std::optional<std::vector<std::string>> CourseTypes() const;
    // The first column of every row of `statement`, whose "?" take `values` in order;
    // nothing when it failed.
    std::optional<std::vector<std::string>> Column(std::string_view statement,
                                                   const std::vector<SqlValue>& values = {}) const;

    // Every column of the first row of `statement` (none when it has no row); nothing
    // when it failed, which the caller reports in its own words.
    std::optional<std::vector<std::string>> FirstRow(std::string_view statement,
                                                     const std::vector<SqlValue>& values) const;

private:
    std::optional<std::vector<std::string>> Run(std::string_view label, std::string_view statement,
                                                const std::vector<SqlValue>& values) const;

    // Runs `statement` with `values` bound; `on_row` takes each row until it says enough.
    bool Execute(std::string_view statement, const std::vector<SqlValue>& values,
                 std::string& error, const std::function<bool(sqlite3_stmt*)>& on_row) const;

    CourseDatabase& database_;
    DatabaseFailureReporter report_;
};

// The statement as it would read with `values` spliced in place of its "?" (text quoted
// where the statement quotes it, as the log has always shown it).
std::string StatementWithValues(std::string_view statement, const std::vector<SqlValue>& values);

}  // namespace tessal::client
