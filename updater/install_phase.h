#pragma once

// Run with the logout parameters (at the client's shutdown): report the logout, end the
// running client and player, move the staged files into place, verify them and record
// the list version.

#include "updater/command_line.h"
#include "updater/updater_context.h"

namespace tessal::updater {

void RunInstallPhase(const UpdaterContext& context, const UpdaterCommand& command);

}  // namespace tessal::updater
