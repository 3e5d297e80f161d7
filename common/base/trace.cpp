#include "common/base/trace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace tessal {
namespace {

bool ReadTraceSwitch() {
    const char* value = std::getenv("TESSAL_TRACE");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

std::mutex& TraceMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

bool TraceEnabled() {
    static const bool enabled = ReadTraceSwitch();
    return enabled;
}

void Trace(std::string_view text) {
    if (!TraceEnabled()) {
        return;
    }
    std::lock_guard lock(TraceMutex());
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

void TraceNumber(int number) {
    if (!TraceEnabled()) {
        return;
    }
    const std::string line = "参数1:" + std::to_string(number) + " 参数2:0 参数3:0 参数4:0";
    Trace(line);
}

}  // namespace tessal
