#pragma once

#include <filesystem>
#include <string>

namespace tessal {

// Folder of the running executable (/proc/self/exe), without a trailing separator.
std::filesystem::path ProgramFolder();

// $XDG_RUNTIME_DIR when set and usable, else a private "tessal-<uid>" folder (0700) in
// the temporary folder; empty when neither can be had safely. Locks live here.
std::filesystem::path RuntimeFolder();

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither is known.
std::filesystem::path UserDataFolder();

// $XDG_CONFIG_HOME, else $HOME/.config; empty when neither is known.
std::filesystem::path UserConfigFolder();

}  // namespace tessal
