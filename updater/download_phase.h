#pragma once

// Run without arguments (at the client's start): fetch the update list and stage every
// file that differs from the installed one in "./New/" under the item's "name".

#include "updater/updater_context.h"

namespace tessal::updater {

void RunDownloadPhase(const UpdaterContext& context);

}  // namespace tessal::updater
