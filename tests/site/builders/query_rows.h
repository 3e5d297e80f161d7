#pragma once

// Reads an SQLite file the way the client does, for checks on the built databases.

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessal::site {

// The first column of every row of `sql` as text, bound to `values` in order; a single
// "error: ..." row when the file cannot be opened or the query fails.
inline std::vector<std::string> QueryRows(const std::filesystem::path& file, const std::string& sql,
                                          const std::vector<std::string>& values = {}) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        rows = {std::string("error: ") + sqlite3_errmsg(db)};
        sqlite3_close(db);
        return rows;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        sqlite3_bind_text(statement, static_cast<int>(i + 1), values[i].c_str(), -1,
                          SQLITE_TRANSIENT);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(statement, 0);
        rows.push_back(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
    }
    if (step != SQLITE_DONE) {
        rows = {std::string("error: ") + sqlite3_errmsg(db)};
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

}  // namespace tessal::site
