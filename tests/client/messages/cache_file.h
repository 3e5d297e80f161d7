#pragma once

// A cache database as an installation ships it, and direct SQL on it from a connection
// of the test's own (another process, the player, does the same to the real file).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "site/builders/cache_database_builder.h"

namespace tessal::test {

inline void MakeCacheFile(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::string error;
    ASSERT_TRUE(site::BuildCacheDatabase(file, error)) << error;
}

// Runs `sql` and returns the first column of every row, as text ("" for NULL).
inline std::vector<std::string> RunSql(const std::filesystem::path& file, const std::string& sql) {
    std::vector<std::string> column;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << file;
        sqlite3_close(db);
        return column;
    }
    sqlite3_busy_timeout(db, 5000);
    char* message = nullptr;
    const int result = sqlite3_exec(
        db, sql.c_str(),
        [](void* rows, int, char** values, char**) {
            static_cast<std::vector<std::string>*>(rows)->push_back(values[0] ? values[0] : "");
            return 0;
        },
        &column, &message);
    EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    return column;
}

}  // namespace tessal::test
