#include "codec_updater/console_line.h"

namespace tessal::codecs {
namespace {

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local_time{};
    localtime_r(&now, &local_time);
    return local_time;
}

}  // namespace

std::string ConsoleLine(const std::tm& local_time, std::string_view message) {
    std::string line = "[";
    line += std::to_string(local_time.tm_year + 1900) + "年";
    line += std::to_string(local_time.tm_mon + 1) + "月";
    line += std::to_string(local_time.tm_mday) + "日";
    line += std::to_string(local_time.tm_hour) + "时";
    line += std::to_string(local_time.tm_min) + "分";
    line += std::to_string(local_time.tm_sec) + "秒]";
    line += message;
    return line;
}

void PrintConsoleLine(std::ostream& out, std::string_view message) {
    out << ConsoleLine(LocalTimeNow(), message) << '\n' << std::flush;
}

}  // namespace tessal::codecs
