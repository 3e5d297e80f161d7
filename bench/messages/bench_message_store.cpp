// The message manager's opening queries (the count, then the first page of thirty) on a
// cache database holding many messages of the member and some of others, timed through
// MessageStore as the window runs them, with the plans SQLite chooses for them.
// Usage: bench_message_store [messages]     (default 10,000; target under 100 ms)

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/messages/message_fill.h"
#include "client/messages/message_store.h"
#include "site/builders/cache_database_builder.h"

namespace {

using Clock = std::chrono::steady_clock;
using tessal::bench::Fill;
constexpr const char* kAccount = tessal::bench::kBenchAccount;
constexpr int kRuns = 100;
constexpr double kTargetMs = 100;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void PrintPlan(const std::filesystem::path& file, const char* label, const std::string& query) {
    sqlite3* db = nullptr;
    sqlite3_stmt* explain = nullptr;
    std::printf("plan of the %s: %s\n", label, query.c_str());
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + query).c_str(), -1, &explain, nullptr) ==
            SQLITE_OK) {
        while (sqlite3_step(explain) == SQLITE_ROW)
            std::printf("  %s\n", reinterpret_cast<const char*>(sqlite3_column_text(explain, 3)));
    }
    sqlite3_finalize(explain);
    sqlite3_close(db);
}

// Count and first page as the window's opening runs them; false on a query failure.
bool OpeningQueries(tessal::client::MessageStore& store, Clock::duration& took) {
    std::vector<tessal::client::StoredMessage> rows;
    std::string error;
    const auto start = Clock::now();
    const bool done = store.Count(kAccount, 1, error) >= 0 &&
                      store.Page(kAccount, 1, 0, rows, error) &&
                      rows.size() == tessal::client::kMessagePageRows;
    took = Clock::now() - start;
    if (!done)
        std::fprintf(stderr, "bench_message_store: %s\n", error.c_str());
    return done;
}

int Run(const std::filesystem::path& folder, int messages) {
    const std::filesystem::path file = folder / tessal::client::kCacheDatabaseFile;
    std::filesystem::create_directories(file.parent_path());
    std::string error;
    const int others = messages / 5;
    if (!tessal::site::BuildCacheDatabase(file, error) || !Fill(file, messages, others)) {
        std::fprintf(stderr, "bench_message_store: cannot make %s %s\n", file.c_str(),
                     error.c_str());
        return 1;
    }
    tessal::client::MessageStore store(file);
    const auto open_start = Clock::now();
    if (!store.Open(error)) {
        std::fprintf(stderr, "bench_message_store: %s\n", error.c_str());
        return 1;
    }
    const double open_ms = Milliseconds(Clock::now() - open_start);
    std::vector<double> runs;
    Clock::duration took{};
    for (int run = 0; run < kRuns; ++run) {
        if (!OpeningQueries(store, took))
            return 1;
        runs.push_back(Milliseconds(took));
    }
    const double first_ms = runs.front();
    std::sort(runs.begin(), runs.end());
    std::printf("messages: %d of the account, %d of others\n", messages, others);
    std::printf("open (makes the index on a file without it): %.2f ms\n", open_ms);
    std::printf(
        "count + first page: first %.3f ms, median %.3f ms, longest %.3f ms over %d runs "
        "(target under %.0f ms): %s\n",
        first_ms, runs[runs.size() / 2], runs.back(), kRuns, kTargetMs,
        runs.back() < kTargetMs ? "met" : "NOT met");
    const std::string account = std::string("'") + kAccount + "'";
    PrintPlan(file, "count",
              "SELECT count(*) FROM t_Message WHERE Ftype = 1 AND FAccount =" + account);
    PrintPlan(file, "page",
              "SELECT FContent,Furl,Ftime FROM t_Message  where FAccount=" + account +
                  " AND Ftype=1 ORDER BY Ftime DESC LIMIT 0,30");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int messages = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "bench-messages-XXXXXX").string();
    if (messages < tessal::client::kMessagePageRows || ::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "usage: bench_message_store [messages >= 30]\n");
        return 2;
    }
    const std::filesystem::path folder = pattern;
    const int result = Run(folder, messages);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}
