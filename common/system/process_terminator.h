#pragma once

// Ends the running copies of one of the installation's programs, so that the updater
// can replace their files.

#include <filesystem>
#include <string_view>

namespace tessal {

// Kills (SIGKILL) every process of the calling user, other than the caller, whose
// executable is named exactly `executable_name` and lies in `program_folder`, then waits
// up to 1000 ms for each to end. Returns how many ended.
int TerminateProcessesNamed(std::string_view executable_name,
                            const std::filesystem::path& program_folder);

}  // namespace tessal
