#pragma once

// The one connection to the course catalogue "./codecs/Course.dll" (an SQLite database
// the client only reads), opened at start-up and closed by the shutdown routine. It is
// serialised by SQLite itself (full mutex): the GUI thread and the course-picture
// thread read through it at the same time, each query short, so one connection with
// SQLite's lock is simpler than one per thread and costs nothing measurable.

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
