#pragma once

// The process's one engine, between XL_Init and XL_UnInit. Client calls borrow it for
// their duration; XL_UnInit takes it away, waits for the borrowers and ends it.

#include <memory>

#include "engines/download/engine.h"

namespace tessal::xldl {

bool InitEngine();                        // true also when already running
bool UnInitEngine();                      // true when an engine was running
std::shared_ptr<Engine> CurrentEngine();  // null outside XL_Init .. XL_UnInit

}  // namespace tessal::xldl
