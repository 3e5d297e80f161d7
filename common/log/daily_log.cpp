#include "common/log/daily_log.h"

#include <cerrno>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/settings/ini_file.h"

namespace tessal {
namespace {

constexpr std::string_view kSection = "technology";

// Picks for each entry the first of "key", "key#2", "key#3", ... that the day's file
// does not hold yet, remembering what it handed out so a burst stays linear.
class KeyAllocator {
public:
    explicit KeyAllocator(const IniDocument& document) {
        for (std::string& key : document.Keys(kSection)) {
            taken_.insert(std::move(key));
        }
    }

    std::string Next(const std::string& key) {
        if (taken_.insert(key).second) {
            return key;
        }
        int& suffix = next_suffix_.try_emplace(key, 2).first->second;
        for (;; ++suffix) {
            std::string candidate = key + "#" + std::to_string(suffix);
            if (taken_.insert(candidate).second) {
                return candidate;
            }
        }
    }

private:
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, int> next_suffix_;
};

}  // namespace

DailyLog::DailyLog(std::filesystem::path folder, Clock clock)
    : folder_(std::move(folder)), clock_(std::move(clock)), writer_([this] { Run(); }) {}

DailyLog::~DailyLog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
}

bool DailyLog::Write(std::string_view message) {
    Entry entry{clock_(), std::string(message)};
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(entry));
    }
    wake_.notify_one();
    return true;
}

std::string DailyLog::WriteLastError() {
    const int error = errno;
    if (error == 0) {
        return "unknown Windows error";
    }
    Write(std::error_code(error, std::generic_category()).message());
    return {};
}

void DailyLog::Flush() {
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return queue_.empty() && in_flight_ == 0; });
}

std::string DailyLog::FileNameFor(const std::tm& time) {
    return std::to_string(time.tm_year + 1900) + "-" + std::to_string(time.tm_mon + 1) + "-" +
           std::to_string(time.tm_mday) + ".ini";
}

std::string DailyLog::KeyFor(const std::tm& time) {
    return std::to_string(time.tm_hour) + "-" + std::to_string(time.tm_min) + "-" +
           std::to_string(time.tm_sec);
}

std::tm DailyLog::LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void DailyLog::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, and everything is written
        }
        std::deque<Entry> batch;
        batch.swap(queue_);
        in_flight_ = batch.size();
        lock.unlock();
        WriteBatch(batch);
        lock.lock();
        in_flight_ = 0;
        drained_.notify_all();
    }
}

// One locked read-modify-write per day file and batch, entries in call order. A file
// that cannot be written (its folder is missing) drops its entries, never loops.
void DailyLog::WriteBatch(std::deque<Entry>& batch) {
    while (!batch.empty()) {
        const std::string file_name = FileNameFor(batch.front().time);
        std::vector<Entry> same_day;
        while (!batch.empty() && FileNameFor(batch.front().time) == file_name) {
            same_day.push_back(std::move(batch.front()));
            batch.pop_front();
        }
        UpdateProfile(folder_ / file_name, [&](IniDocument& document) {
            KeyAllocator keys(document);
            std::vector<std::pair<std::string, std::string>> entries;
            entries.reserve(same_day.size());
            for (Entry& entry : same_day) {
                entries.emplace_back(keys.Next(KeyFor(entry.time)), std::move(entry.message));
            }
            document.Append(kSection, entries);
            return true;
        });
    }
}

}  // namespace tessal
