#pragma once

// The stores the programs keep, as the crash check writes and judges them. Each store
// names the programs that write it (each run as a writer process of its own) and the
// writes each repeats, made through the very functions the programs call; the check
// side knows what a consistent store looks like after any of those writes.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessal::crash {

// One program's writes, repeated in order; false when a write failed.
struct StoreWriter {
    std::string program;
    std::vector<std::function<bool(const std::filesystem::path& folder)>> steps;
};

// A store of whole files: after any kill each file must read as a state that the writes
// reach from the initial one (no torn or mixed text, no lost file).
struct FileStore {
    std::string name;
    std::vector<std::filesystem::path> files;  // relative to the program folder
    std::vector<StoreWriter> writers;
    // What the programs' own readers make of the files: equal for equal contents.
    std::function<std::string(const std::filesystem::path& folder)> read;
    // Anything the store needs besides its files (lesson files the playlist names).
    std::function<void(const std::filesystem::path& folder)> prepare;
    unsigned mode = 0;  // permission bits every version must keep; 0: not checked
};

const std::vector<FileStore>& FileStores();

// The cache database: TessalPlayer saves a lesson's position, TessalClient stores and
// deletes a push message, both in "cache/cache.dll" at once.
extern const char* const kCacheStore;
// The viewing history: TessalPlayer writes one record per viewing into "cache/History".
extern const char* const kHistoryStore;

std::vector<StoreWriter> CacheWriters();
std::vector<StoreWriter> HistoryWriters();

// The writers of the store named `name`; empty when there is none of that name.
std::vector<StoreWriter> WritersOf(const std::string& name);

// "ok" when SQLite finds `database` sound once a program opens it (a journal a killed
// writer left is rolled back then); else what it found or why it could not open it.
std::string DatabaseIntegrity(const std::filesystem::path& database);

// The fixed values the cache and history writers use and the checks compare against.
inline constexpr const char* kProgressLesson = "第1讲 崩溃检查";
inline constexpr int kProgressOld = 1000;
inline constexpr int kProgressNew = 2000;
inline constexpr const char* kMessageAccount = "member01";
inline constexpr const char* kRotatingMessageTime = "2026-12-8    9:0:0";
inline constexpr const char* kHistoryUid = "10001";

}  // namespace tessal::crash
