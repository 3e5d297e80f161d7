#pragma once

// The table t_Message of the cache database "./cache/cache.dll": the push poller stores
// each message, the message manager pages, counts and deletes them. One connection,
// opened by the first user and kept until Close; every call holds the store's lock, so
// the poller thread and the GUI thread never use it at once. Values are bound.

#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace tessal::client {

inline constexpr const char* kCacheDatabaseFile = "cache/cache.dll";
inline constexpr int kMessagePageRows = 30;

struct StoredMessage {
    std::string time;     // Ftime
    std::string content;  // FContent
    std::string link;     // Furl
};

// "%i-%i-%i    %i:%i:%i": the arrival time the table keeps, sorts and deletes by.
std::string MessageTime(const std::tm& local);

class MessageStore {
public:
    explicit MessageStore(std::filesystem::path file);
    ~MessageStore();
    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Opens the connection unless it is open (then true). On failure false with the
    // database's error message in `error`; after Close, false for good.
    bool Open(std::string& error);
    bool is_open() const;
    // True once Close ran: the client is ending and nothing more is stored.
    bool closed() const;
    // Closes for good (the client's shutdown); a query in progress finishes first.
    void Close();

    // Stores a message of class 1. On failure false, and `statement` holds the insert
    // with its values in place, for the "sqlfail:" line.
    bool Insert(const std::string& account, const std::string& text, const std::string& link,
                const std::string& time, std::string& statement);
    // The number of messages of `type` stored for `account`; -1 on failure (`error`).
    int Count(const std::string& account, int type, std::string& error);
    // At most kMessagePageRows messages from `offset` (never below 0), newest first by
    // Ftime as text. False on failure (`error`).
    bool Page(const std::string& account, int type, int offset, std::vector<StoredMessage>& rows,
              std::string& error);
    // Deletes every message of `type` and `account` stored at `time`.
    bool Delete(const std::string& time, int type, const std::string& account, std::string& error);

private:
    bool OpenLocked(std::string& error);

    const std::filesystem::path file_;
    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
    bool closed_ = false;
};

}  // namespace tessal::client
