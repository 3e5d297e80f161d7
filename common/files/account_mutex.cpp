#include "common/files/account_mutex.h"

#include <string>

#include "common/base/file_lock.h"

namespace tessal {

bool TryHoldAccountMutex(std::string_view account) {
    FileLock lock("account:" + std::string(account), FileLock::Mode::kTry);
    if (!lock.held()) {
        return false;
    }
    // A logout does not release it: the name stays taken while the process runs.
    lock.HoldForProcessLifetime();
    return true;
}

}  // namespace tessal
