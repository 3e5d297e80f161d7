#pragma once

// Keeps one account from being logged in twice on this machine, across processes.

#include <string_view>

namespace tessal {

// True when no process held the account's mutex; this process then holds it until it
// ends. False when it is held already, by another process or by an earlier call here.
bool TryHoldAccountMutex(std::string_view account);

}  // namespace tessal
