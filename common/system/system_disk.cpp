#include "common/system/system_disk.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <vector>

namespace tessal {
namespace fs = std::filesystem;
namespace {

// Deep enough for encryption over LVM over RAID; a loop in a broken tree ends here.
constexpr int kMaxMappingDepth = 8;

DiskKind KindOf(const std::string& name) {
    if (name.starts_with("nvme"))
        return DiskKind::kNvme;
    if (name.starts_with("sd"))
        return DiskKind::kAta;
    return DiskKind::kOther;
}

// The first entry of a mapped device's "slaves" folder, in name order.
std::optional<fs::path> FirstSlave(const fs::path& device) {
    std::error_code error;
    std::vector<fs::path> slaves;
    for (const auto& entry : fs::directory_iterator(device / "slaves", error))
        slaves.push_back(entry.path());
    if (slaves.empty())
        return std::nullopt;
    std::sort(slaves.begin(), slaves.end());
    return fs::canonical(slaves.front(), error);
}

}  // namespace

std::optional<SystemDisk> FindDiskOf(dev_t device, const fs::path& sys_root) {
    const std::string number = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::error_code error;
    fs::path folder = fs::canonical(sys_root / "dev" / "block" / number, error);
    for (int depth = 0; !error && depth < kMaxMappingDepth; ++depth) {
        if (fs::exists(folder / "partition", error)) {
            folder = folder.parent_path();
            continue;
        }
        const auto slave = FirstSlave(folder);
        if (!slave)
            return SystemDisk{folder.filename().string(), folder,
                              KindOf(folder.filename().string())};
        folder = *slave;
    }
    return std::nullopt;
}

std::optional<SystemDisk> FindSystemDisk() {
    struct stat root {};
    if (::stat("/", &root) != 0)
        return std::nullopt;
    return FindDiskOf(root.st_dev, "/sys");
}

}  // namespace tessal
