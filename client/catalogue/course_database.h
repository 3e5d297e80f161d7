#pragma once

// The one connection to the course catalogue "./codecs/Course.dll" (an SQLite database
// the client only reads), opened at start-up and closed by the shutdown routine.

#include <filesystem>
#include <string>

struct sqlite3;

namespace tessal::client {

inline constexpr const char* kCourseDatabaseFile = "codecs/Course.dll";

class CourseDatabase {
public:
    CourseDatabase() = default;
    ~CourseDatabase();
    CourseDatabase(const CourseDatabase&) = delete;
    CourseDatabase& operator=(const CourseDatabase&) = delete;

    // Opens `file` read-only; false with SQLite's error text when it is missing or is
    // not a database.
    bool Open(const std::filesystem::path& file, std::string& error);
    void Close();
    bool is_open() const { return connection_ != nullptr; }
    sqlite3* connection() const { return connection_; }

private:
    sqlite3* connection_ = nullptr;
};

}  // namespace tessal::client
