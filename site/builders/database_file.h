#pragma once

// A new SQLite database that replaces its target only when complete: it is built in a
// temporary file of the target's folder and renamed over the target on Commit(), so a
// reader sees the old database or the whole new one, and a failed build leaves nothing.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "common/base/atomic_write.h"

namespace tessal::site {

using SqlValue = std::variant<std::int64_t, double, std::string>;
using SqlRow = std::vector<SqlValue>;

class DatabaseFile {
public:
    // Opens the temporary database and begins the one transaction that fills it.
    explicit DatabaseFile(const std::filesystem::path& target);
    // An uncommitted database is removed.
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    // Each step does nothing once one has failed; the first failure is kept in error().
    bool Execute(const std::string& sql);
    // Runs `sql` once per row, binding the row's values to its parameters in order.
    bool InsertRows(const std::string& sql, const std::vector<SqlRow>& rows);
    bool Commit();

    // "<target>: <what went wrong>".
    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& what);
    bool Bind(sqlite3_stmt* statement, const SqlRow& row);

    std::filesystem::path target_;
    AtomicFile file_;
    sqlite3* db_ = nullptr;
    std::string error_;
};

}  // namespace tessal::site
