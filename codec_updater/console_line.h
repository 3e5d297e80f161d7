#pragma once

// The codec updater's console: every step is one line that starts with the local time.

#include <ctime>
#include <ostream>
#include <string>
#include <string_view>

namespace tessal::codecs {

// "[2024年3月5日9时7分0秒]" + message: the fields without zero padding.
std::string ConsoleLine(const std::tm& local_time, std::string_view message);

// Writes the line for now with a line end and flushes it, so that whoever watches the
// console sees each step as it happens.
void PrintConsoleLine(std::ostream& out, std::string_view message);

}  // namespace tessal::codecs
