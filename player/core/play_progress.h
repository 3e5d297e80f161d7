#pragma once

// The table t_PlayProgress of the cache database "./cache/cache.dll": where each lesson
// was left, by its title. The lesson opener's thread reads a lesson's row while the GUI
// thread may store another's at a lesson's end: one connection, every call under the
// object's lock, a busy timeout riding over the client's writes to the same file. Values
// are bound, so a title with a quote reads and writes its own row; the "sqlfail:" lines
// still show each statement with its values in place. The database ships with the
// installation: it is never created here, nor is the table.

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

namespace tessal::player {

inline constexpr const char* kCacheDatabaseFile = "cache/cache.dll";

class PlayProgress {
public:
    struct Hooks {
        // "Open Keydatabase fail:%s" with SQLite's message; the caller shows the box
        // (caption "连接离线数据库异常!") on the GUI thread.
        std::function<void(const std::string& text)> open_failed;
        // A line of the daily log; called under the object's lock, so it must return at
        // once and never call back.
        std::function<void(const std::string& line)> log;
    };

    PlayProgress(std::filesystem::path database, Hooks hooks);
    ~PlayProgress();
    PlayProgress(const PlayProgress&) = delete;
    PlayProgress& operator=(const PlayProgress&) = delete;

    // Opens the connection unless it is open (then true). A missing file is a failure,
    // reported through both hooks.
    bool EnsureOpen();
    bool is_open() const;
    // The position stored for `key` in milliseconds; nothing when there is no row, the
    // connection is closed or the statement fails (logged "sqlfail:" + statement). An
    // empty key (a file without a lesson title) has no row: it is never read or stored.
    std::optional<int> Read(const std::string& key);
    // Updates the key's row, or inserts one when there is none. False when closed or when
    // a statement fails (logged as for Read).
    bool Save(const std::string& key, int position_ms);
    // Closes the connection; a later EnsureOpen opens it again.
    void Close();

private:
    bool RowExists(const std::string& key, bool& exists);
    bool Store(const std::string& key, const std::string& position, bool exists);
    void LogFailure(const std::string& statement) const;

    const std::filesystem::path database_;
    const Hooks hooks_;
    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
};

}  // namespace tessal::player
