#include "common/base/stop_signal.h"

namespace tessal {

void StopSignal::Raise() {
    const std::lock_guard lock(mutex_);
    raised_.store(true, std::memory_order_release);
}

bool StopSignal::RunUnlessRaised(const std::function<void()>& step) {
    const std::lock_guard lock(mutex_);
    if (raised())
        return false;
    step();
    return true;
}

}  // namespace tessal
