#include "updater/installed_version.h"

#include "common/settings/ini_file.h"
#include "updater/update_list.h"

namespace tessal::updater {

namespace {
constexpr const char* kSection = "GlobalVersion";
constexpr const char* kKey = "GlobalVersion";
}  // namespace

int ReadInstalledVersion(const std::filesystem::path& file) {
    const int version = DecimalValue(ReadProfileString(file, kSection, kKey, ""));
    return version == 0 ? 1 : version;
}

bool WriteInstalledVersion(const std::filesystem::path& file, std::string_view version) {
    return WriteProfileString(file, kSection, kKey, version);
}

}  // namespace tessal::updater
