#pragma once

// The status code a task reports, from the client's requests and aria2's last word.

#include <cstdint>

#include "engines/download/task.h"

namespace tessal::xldl {

std::int32_t StatusOf(const Task& task);

}  // namespace tessal::xldl
