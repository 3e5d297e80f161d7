#pragma once

// Between the binary records of xldl.h and the engine's own task data.

#include "engines/download/task.h"
#include "engines/download/xldl.h"

namespace tessal::xldl {

TaskRequest RequestFromParam(const XlTaskParam& param);
// Fills the fields the engine knows; leaves the client's presets of the others alone.
void FillInfo(const Task& task, XlTaskInfo& info);

}  // namespace tessal::xldl
