#pragma once

// The system's fixed waits (the updaters' pauses, heartbeat and poll intervals) go
// through here, so that tests can shorten them without touching a default: the
// test-only environment variable TESSAL_TEST_WAIT_DIVISOR (a whole number from 1 to
// 1000) divides every such wait. It is read once; in use it is never set.

#include <chrono>
#include <string_view>

namespace tessal {

inline constexpr const char* kWaitDivisorVariable = "TESSAL_TEST_WAIT_DIVISOR";

// The divisor a value of the variable stands for: 1 unless it is a whole number 1..1000.
int WaitDivisorOf(std::string_view text);

std::chrono::milliseconds SystemWait(std::chrono::milliseconds wait);
void SleepSystemWait(std::chrono::milliseconds wait);

}  // namespace tessal
