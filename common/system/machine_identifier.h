#pragma once

// The machine identifier sent at login: the first disk's serial number, or a random
// identifier kept in the machine-identity file when the disk cannot be read.

#include <filesystem>
#include <functional>
#include <string>

#include "common/system/disk_identity.h"

namespace tessal {

// UserDataFolder()/"TessalMachine.ini" (the folder made when missing); when the data
// folder is unknown or cannot be written, program_folder/"codecs/wm/TessalMachine.ini".
std::filesystem::path MachineIdentityFilePath(const std::filesystem::path& program_folder);

// The disk serial with every blank removed. When the disk cannot be read (or gives an
// empty serial), section "HD" key "HD" of `identity_file`; when that is empty too,
// 32 random decimal digits, written there first so that later logins send the same.
std::string MachineIdentifier(
    const std::filesystem::path& identity_file,
    const std::function<int(DiskIdentity&)>& read_disk = ReadDiskIdentity);

}  // namespace tessal
