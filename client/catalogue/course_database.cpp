#include "client/catalogue/course_database.h"

#include <sqlite3.h>

namespace tessal::client {

CourseDatabase::~CourseDatabase() {
    Close();
}

bool CourseDatabase::Open(const std::filesystem::path& file, std::string& error) {
    Close();
    sqlite3* connection = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &connection,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
    // A file that is not a database opens fine; the first read tells.
    if (opened == SQLITE_OK && sqlite3_exec(connection, "SELECT count(*) FROM sqlite_master",
                                            nullptr, nullptr, nullptr) == SQLITE_OK) {
        const std::unique_lock lock(mutex_);
        connection_ = connection;
        return true;
    }
    error = connection ? sqlite3_errmsg(connection) : sqlite3_errstr(opened);
    sqlite3_close(connection);
    return false;
}

bool CourseDatabase::is_open() const {
    const std::shared_lock lock(mutex_);
    return connection_ != nullptr;
}

void CourseDatabase::Close() {
    const std::unique_lock lock(mutex_);
    if (connection_ != nullptr)
        sqlite3_close(connection_);
    connection_ = nullptr;
}

}  // namespace tessal::client
