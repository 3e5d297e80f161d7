#include "client/catalogue/catalogue_queries.h"

#include <sqlite3.h>

#include <charconv>
#include <memory>

namespace tessal::client {
namespace {

struct LookupStatement {
    const char* label;
    // As the statement has always read: '?' is a quoted value, ? an unquoted one.
    const char* statement;
};

// In CatalogueLookup's order.
constexpr LookupStatement kLookups[] = {
    {"LessonNameId2", "SELECT Fid FROM  t_lesson WHERE Fname='?' AND Fcoursename='?'"},
    {"LessonIdtoUrl", "SELECT Fname FROM t_lesson WHERE Fid=?"},
    {"LessonidtoImg",
     "SELECT t_course.Fcourseimg FROM t_lesson,t_course WHERE "
     "t_course.Fcoursename=t_lesson.Fcoursename and t_lesson.Fid='?'"},
    {"LessonIdtoUrl", "SELECT Fdownurl FROM t_lesson WHERE Fid=?"},
    {"LessonNametoCourseName", "SELECT  Fcoursename FROM t_lesson WHERE Fname='?' AND Fid=?"},
    {"LessonIdtoCourseName", "SELECT  Fcoursename FROM t_lesson WHERE  Fid=?"},
    {"CoruseIDtoName", "SELECT Fcoursename from t_course where FCourseid=?"},
    {"CourseIdToImgUrl", "SELECT Fcourseimg FROM t_course WHERE FCourseid=?"},
    {"CourseNametoID", "SELECT FCourseid FROM t_course WHERE Fcoursename='?'"},
    {"CoursNametoType", "SELECT Ftype FROM t_course where Fcoursename='?'"},
};

constexpr const char* kCourseTypesStatement = "SELECT Fname FROM t_lesontype";

std::optional<long long> DecimalNumber(std::string_view text) {
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// The template with each quoted '?' made a plain ?, and which values were quoted.
std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text != nullptr ? text : "";
}

std::string BindableStatement(std::string_view statement, std::vector<bool>& quoted) {
    std::string bindable;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement.compare(i, 3, "'?'") == 0) {
            bindable += '?';
            quoted.push_back(true);
            i += 2;
            continue;
        }
        if (statement[i] == '?')
            quoted.push_back(false);
        bindable += statement[i];
    }
    return bindable;
}

bool Bind(sqlite3_stmt* statement, const std::vector<SqlValue>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const auto number = values[i].as_text ? std::nullopt : DecimalNumber(values[i].text);
        const int bound =
            number ? sqlite3_bind_int64(statement, index, *number)
                   : sqlite3_bind_text(statement, index, values[i].text.data(),
                                       static_cast<int>(values[i].text.size()), SQLITE_TRANSIENT);
        if (bound != SQLITE_OK)
            return false;
    }
    return true;
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

}  // namespace

std::string StatementWithValues(std::string_view statement, const std::vector<SqlValue>& values) {
    std::string text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement[i] != '?' || next >= values.size()) {
            text += statement[i];
            continue;
        }
        const SqlValue& value = values[next++];
        const bool in_quotes = i > 0 && statement[i - 1] == '\'';
        const bool bare = in_quotes || (!value.as_text && DecimalNumber(value.text));
        text += bare ? value.text : "'" + value.text + "'";
    }
    return text;
}

CatalogueQueries::CatalogueQueries(CourseDatabase& database, DatabaseFailureReporter report)
    : database_(database), report_(std::move(report)) {}

std::string CatalogueQueries::Lookup(CatalogueLookup lookup,
                                     const std::vector<std::string>& arguments) const {
    const LookupStatement& entry = kLookups[static_cast<int>(lookup)];
    std::vector<SqlValue> values;
    for (const std::string& argument : arguments)
        values.push_back({argument});
    const auto rows = Run(entry.label, entry.statement, values);
    return rows && !rows->empty() ? rows->front() : std::string();
}

std::optional<std::vector<std::string>> CatalogueQueries::CourseTypes() const {
    return Run("GetCourseType", kCourseTypesStatement, {});
}

std::optional<std::vector<std::string>> CatalogueQueries::Column(
    std::string_view statement, const std::vector<SqlValue>& values) const {
    return Run("SqlTY", statement, values);
}

// `shown` is the statement as its callers write it ('?' for quoted values); the one run
// binds every value.
std::optional<std::vector<std::string>> CatalogueQueries::Run(
    std::string_view label, std::string_view shown, const std::vector<SqlValue>& values) const {
    std::vector<std::string> rows;
    std::string error;
    const bool ran = Execute(shown, values, error, [&rows](sqlite3_stmt* statement) {
        rows.emplace_back(ColumnText(statement, 0));
        return true;
    });
    if (ran)
        return rows;
    if (report_)
        report_(std::string(label),
                std::string(label) + " sql:" + StatementWithValues(shown, values) + error);
    return std::nullopt;
}

std::optional<std::vector<std::string>> CatalogueQueries::FirstRow(
    std::string_view statement, const std::vector<SqlValue>& values) const {
    std::vector<std::string> row;
    std::string error;
    const bool ran = Execute(statement, values, error, [&row](sqlite3_stmt* raw) {
        for (int k = 0; k < sqlite3_column_count(raw); ++k)
            row.emplace_back(ColumnText(raw, k));
        return false;  // the first row is all it wants
    });
    return ran ? std::optional(row) : std::nullopt;
}

bool CatalogueQueries::Execute(std::string_view shown, const std::vector<SqlValue>& values,
                               std::string& error,
                               const std::function<bool(sqlite3_stmt*)>& on_row) const {
    std::vector<bool> quoted;
    const std::string bindable = BindableStatement(shown, quoted);
    std::vector<SqlValue> bound = values;
    for (std::size_t i = 0; i < bound.size() && i < quoted.size(); ++i)
        bound[i].as_text = bound[i].as_text || quoted[i];
    const CourseDatabase::Use use = database_.Acquire();
    sqlite3* connection = use.connection();
    if (connection == nullptr) {
        error = "no database";
        return false;
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, bindable.c_str(), static_cast<int>(bindable.size()), &raw,
                           nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(connection);
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, StatementDeleter> statement(raw);
    if (!Bind(raw, bound)) {
        error = sqlite3_errmsg(connection);
        return false;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        if (!on_row(raw))
            return true;
    }
    if (step != SQLITE_DONE)
        error = sqlite3_errmsg(connection);
    return step == SQLITE_DONE;
}

}  // namespace tessal::client
