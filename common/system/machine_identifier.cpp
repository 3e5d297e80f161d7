#include "common/system/machine_identifier.h"

#include <unistd.h>

#include <random>
#include <system_error>

#include "common/base/file_lock.h"
#include "common/base/runtime_paths.h"
#include "common/base/text_helpers.h"
#include "common/settings/ini_file.h"

namespace tessal {
namespace {

constexpr std::size_t kFallbackDigits = 32;
constexpr char kSection[] = "HD";
constexpr char kKey[] = "HD";

std::string RandomDigits(std::size_t count) {
    std::random_device source;
    std::seed_seq seed{source(), source(), source(), source(), source(), source()};
    std::mt19937_64 generator(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) {
        digits += static_cast<char>('0' + digit(generator));
    }
    return digits;
}

// Read, and generate when missing, under one lock: two programs starting together on a
// new machine must end up with one identifier, not overwrite each other's.
std::string FallbackIdentifier(const std::filesystem::path& identity_file) {
    const FileLock lock("machine-identity:" + identity_file.string(), FileLock::Mode::kWait);
    std::string identifier = ReadProfileString(identity_file, kSection, kKey, "");
    if (!identifier.empty()) {
        return identifier;
    }
    identifier = RandomDigits(kFallbackDigits);
    std::error_code error;
    std::filesystem::create_directories(identity_file.parent_path(), error);
    WriteProfileString(identity_file, kSection, kKey, identifier);
    return identifier;
}

}  // namespace

// A data folder the identifier cannot be kept in would give every login a new one.
std::filesystem::path MachineIdentityFilePath(const std::filesystem::path& program_folder) {
    const std::filesystem::path data = UserDataFolder();
    std::error_code error;
    if (!data.empty() && (std::filesystem::create_directories(data, error), !error) &&
        ::access(data.c_str(), W_OK | X_OK) == 0)
        return data / "TessalMachine.ini";
    return program_folder / "codecs/wm/TessalMachine.ini";
}

std::string MachineIdentifier(const std::filesystem::path& identity_file,
                              const std::function<int(DiskIdentity&)>& read_disk) {
    DiskIdentity disk;
    if (read_disk(disk) == 0) {
        std::string serial = ReplaceAll(disk.serial, " ", "");
        if (!serial.empty()) {
            return serial;
        }
    }
    return FallbackIdentifier(identity_file);
}

}  // namespace tessal
