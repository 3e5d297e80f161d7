// bench_md5 FILE: the throughput of FileMd5 on FILE, for comparison with md5sum.

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "common/files/file_helpers.h"
#include "common/files/md5.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_md5 FILE\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const auto start = std::chrono::steady_clock::now();
    const std::string digest = tessal::FileMd5(file);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (digest.empty()) {
        return 1;
    }
    const double megabytes = static_cast<double>(tessal::FileSize(file)) / 1e6;
    std::printf("%s  %s\n%.1f MB/s\n", digest.c_str(), file.c_str(), megabytes / seconds.count());
    return 0;
}
