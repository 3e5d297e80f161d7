#pragma once

// A cache database filled as years of arrivals would leave it, for the message benchmarks.

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "client/messages/message_store.h"

namespace tessal::bench {

inline constexpr const char* kBenchAccount = "demo";

inline std::string TimeOf(int index) {
    std::tm local{};
    local.tm_year = 120 + index / 100000;
    local.tm_mon = index / 8000 % 12;
    local.tm_mday = 1 + index / 300 % 28;
    local.tm_hour = index / 60 % 24;
    local.tm_min = index % 60;
    local.tm_sec = index * 7 % 60;
    return tessal::client::MessageTime(local);
}

// One transaction, as many arrivals would leave the table: the member's messages among
// those of other accounts who used the same installation.
inline bool Fill(const std::filesystem::path& file, int messages, int others) {
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    bool filled = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(db, "INSERT INTO t_Message VALUES (?,?,?,1,?)", -1, &insert,
                                     nullptr) == SQLITE_OK;
    const std::string content = "会计实务精讲班本周六开课,欢迎报名参加。";
    for (int i = 0; filled && i < messages + others; ++i) {
        const std::string account = i < messages ? kBenchAccount : "other" + std::to_string(i % 20);
        const std::string link =
            "http://www.example.com/news/" + std::to_string(i) + ".html?uid=10001&from=client";
        const std::string time = TimeOf(i);
        sqlite3_bind_text(insert, 1, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, content.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, link.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, time.c_str(), -1, SQLITE_TRANSIENT);
        filled = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    filled = filled && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return filled;
}

}  // namespace tessal::bench
