// How long a daily-log call holds up its caller, and how long the writer needs to put
// a burst on disk. Usage: bench_daily_log [calls]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/log/daily_log.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-log-XXXXXX").string();
    if (calls <= 0 || ::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "usage: bench_daily_log [calls > 0]\n");
        return 2;
    }
    const std::filesystem::path folder = pattern;
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(calls));
    const auto started = Clock::now();
    {
        tessal::DailyLog log(folder);
        for (int i = 0; i < calls; ++i) {
            const std::string message = "download task " + std::to_string(i) + " 状态 3";
            const auto before = Clock::now();
            log.Write(message);
            samples.push_back(Microseconds(Clock::now() - before));
        }
        log.Flush();
    }
    const double total_ms = Microseconds(Clock::now() - started) / 1000.0;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        return samples[static_cast<std::size_t>(fraction * (samples.size() - 1))];
    };
    std::printf("daily log: %d calls on the caller's thread\n", calls);
    std::printf("  median %.2f us, p99 %.2f us, max %.2f us (target: median < 50 us)\n", at(0.5),
                at(0.99), samples.back());
    std::printf("  all entries on disk after %.1f ms\n", total_ms);
    std::filesystem::remove_all(folder);
    return 0;
}
