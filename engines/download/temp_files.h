#pragma once

// The partial file of a task and aria2's control file beside it.

#include <filesystem>

#include "engines/download/task_table.h"

namespace tessal::xldl {

// Removes both files unless a task of `tasks` (when given) still writes them. True when
// afterwards neither exists.
bool RemoveTempFiles(const std::filesystem::path& file, const TaskTable* tasks);

}  // namespace tessal::xldl
