// Downloads one URL through libxldl.so as the client would and prints the rate, the
// size, the median time of XL_QueryTaskInfoEx while the download runs, the number of
// queries, the seconds from start to done and the CPU seconds the process spent.
//
//   bench_download_engine LIBRARY URL FOLDER FILE_NAME

#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engines/download/xldl.h"

namespace {

using Clock = std::chrono::steady_clock;

template <std::size_t N>
void CopyAscii(const std::string& text, char16_t (&field)[N]) {
    for (std::size_t i = 0; i < text.size() && i + 1 < N; ++i)
        field[i] = text[i];
}

template <typename Function>
Function* Resolve(void* module, const char* name) {
    return reinterpret_cast<Function*>(::dlsym(module, name));
}

double MedianMicroseconds(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s LIBRARY URL FOLDER FILE_NAME\n", argv[0]);
        return 2;
    }
    void* module = ::dlopen(argv[1], RTLD_NOW);
    if (module == nullptr) {
        std::fprintf(stderr, "%s\n", ::dlerror());
        return 1;
    }
    auto* init = Resolve<XL_Init_t>(module, "XL_Init");
    auto* uninit = Resolve<XL_UnInit_t>(module, "XL_UnInit");
    auto* create = Resolve<XL_CreateTask_t>(module, "XL_CreateTask");
    auto* start = Resolve<XL_StartTask_t>(module, "XL_StartTask");
    auto* query = Resolve<XL_QueryTaskInfoEx_t>(module, "XL_QueryTaskInfoEx");
    if (init() == 0)
        return 1;

    auto param = std::make_unique<XlTaskParam>();
    CopyAscii(argv[2], param->url);
    CopyAscii(argv[3], param->save_folder);
    CopyAscii(argv[4], param->file_name);
    param->reserved5 = 5;
    param->resume = 1;
    const auto started = Clock::now();
    XlTaskHandle task = create(param.get());
    start(task);

    std::vector<double> query_us;
    XlTaskInfo info{};
    for (;;) {
        const auto before = Clock::now();
        info = XlTaskInfo{};
        query(task, &info);
        query_us.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        if (info.status == kXlComplete || info.status == kXlFailed)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    uninit();
    if (info.status != kXlComplete) {
        std::fprintf(stderr, "download failed (code %d)\n", info.fail_code);
        return 1;
    }
    std::printf("%.1f %lld %.2f %zu %.3f %.3f\n",
                static_cast<double>(info.total_size) / seconds / 1e6,
                static_cast<long long>(info.total_size), MedianMicroseconds(query_us),
                query_us.size(), seconds, CpuSeconds());
    return 0;
}
