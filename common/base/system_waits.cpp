#include "common/base/system_waits.h"

#include <charconv>
#include <cstdlib>
#include <thread>

namespace tessal {

int WaitDivisorOf(std::string_view text) {
    int divisor = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), divisor);
    if (failure != std::errc() || end != text.data() + text.size() || divisor < 1 ||
        divisor > 1000) {
        return 1;
    }
    return divisor;
}

std::chrono::milliseconds SystemWait(std::chrono::milliseconds wait) {
    static const int divisor = [] {
        const char* text = std::getenv(kWaitDivisorVariable);
        return text == nullptr ? 1 : WaitDivisorOf(text);
    }();
    return wait / divisor;
}

void SleepSystemWait(std::chrono::milliseconds wait) {
    std::this_thread::sleep_for(SystemWait(wait));
}

}  // namespace tessal
