#pragma once

// Ends the running copies of one of the installation's programs, so that the updater
// can replace their files.

#include <chrono>
#include <filesystem>
#include <string_view>

namespace tessal {

// The time a running TessalPlayer gets to end by itself, which saves the lesson's
// position, the playlist and the viewing record, before it is killed.
inline constexpr std::chrono::milliseconds kPlayerShutdownGrace{3000};

// Ends every process of the calling user, other than the caller, whose executable is
// named exactly `executable_name` and lies in `program_folder`: with a `grace`, each is
// asked to end (SIGTERM) and given that long; what still runs is killed (SIGKILL) and
// waited for up to 1000 ms. Returns how many ended.
int TerminateProcessesNamed(std::string_view executable_name,
                            const std::filesystem::path& program_folder,
                            std::chrono::milliseconds grace = {});

}  // namespace tessal
