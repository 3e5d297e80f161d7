#pragma once

#include <string_view>

namespace tessal {

// Developer traces, off by default; TESSAL_TRACE=1 in the environment sends them to
// the standard error stream. Safe from any thread.
bool TraceEnabled();
void Trace(std::string_view text);
// "参数1:%i 参数2:%i 参数3:%i 参数4:%i" with the number and three zeros.
void TraceNumber(int number);

}  // namespace tessal
