#pragma once

// The one connection to the course catalogue "./codecs/Course.dll" (an SQLite database
// the client only reads), opened at start-up and closed by the shutdown routine. It is
// serialised by SQLite itself (full mutex): the GUI thread and the course-picture
// thread read through it at the same time, each query short, so one connection with
// SQLite's lock is simpler than one per thread and costs nothing measurable. A query
// holds the connection through a `Use`; closing waits for the queries in progress, so
// the shutdown routine never closes it under a thread that is still reading.

#include <filesystem>
#include <mutex>
#include <shared_mutex>
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
    bool is_open() const;

    // The connection for one query (null when closed), kept open while the Use lives.
    class Use {
    public:
        explicit Use(const CourseDatabase& database)
            : lock_(database.mutex_), connection_(database.connection_) {}
        sqlite3* connection() const { return connection_; }

    private:
        std::shared_lock<std::shared_mutex> lock_;
        sqlite3* connection_;
    };
    Use Acquire() const { return Use(*this); }

private:
    mutable std::shared_mutex mutex_;
    sqlite3* connection_ = nullptr;
};

}  // namespace tessal::client
