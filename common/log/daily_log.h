#pragma once

// The per-day diagnostics file of a program: "<folder>/<y-m-d>.ini", section
// "technology", one key per entry named after the local time of day ("h-m-s", no
// zero padding). Callers never wait for the disk: entries are queued and written in
// call order by one background writer. An entry whose key already exists in that
// day's file is kept under the key followed by "#2", "#3", ...

#include <condition_variable>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tessal {

// The log folders of the programs, relative to the program folder.
inline constexpr std::string_view kClientLogFolder = "./cache/technology";
inline constexpr std::string_view kPlayerLogFolder = "./cache/Playertechnology";
inline constexpr std::string_view kUpdaterLogFolder = "./cache/Updatatechnology";

class DailyLog {
public:
    using Clock = std::function<std::tm()>;  // local broken-down time

    // The folder must exist; the writer does not create it (each program does at start).
    explicit DailyLog(std::filesystem::path folder, Clock clock = LocalTimeNow);
    ~DailyLog();  // writes what is queued, then stops the writer
    DailyLog(const DailyLog&) = delete;
    DailyLog& operator=(const DailyLog&) = delete;

    // Queues the message with the current time; returns at once. True when queued.
    bool Write(std::string_view message);

    // Writes the text of the last system error (errno) and returns an empty text;
    // when errno holds no error, writes nothing and returns "unknown Windows error".
    std::string WriteLastError();

    // Blocks until every entry queued so far is on disk; for orderly shutdown and tests.
    void Flush();

    // "2026-12-6.ini" and "9-5-3" for a given time.
    static std::string FileNameFor(const std::tm& time);
    static std::string KeyFor(const std::tm& time);
    static std::tm LocalTimeNow();

private:
    struct Entry {
        std::tm time;
        std::string message;
    };
    void Run();
    void WriteBatch(std::deque<Entry>& batch);

    std::filesystem::path folder_;
    Clock clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<Entry> queue_;
    std::size_t in_flight_ = 0;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace tessal
