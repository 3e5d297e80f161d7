#pragma once

// The physical disk the system runs from, found through sysfs: the block device of "/",
// taken from a partition to its disk and from a mapped device (LVM, encryption) down to
// the first disk beneath it. The machine identifier reads this disk and no other, so a
// USB disk plugged in (which may be /dev/sda on an NVMe machine) never changes it.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace tessal {

enum class DiskKind {
    kAta,    // sd*: ATA IDENTIFY through the kernel (SATA, or a USB bridge that passes it)
    kNvme,   // nvme*n*: the controller's serial in sysfs, readable without privileges
    kOther,  // virtio, MMC and the like: no serial of the same kind
};

struct SystemDisk {
    std::string name;             // "sda", "nvme0n1", "vda"
    std::filesystem::path sysfs;  // its folder under the sysfs root
    DiskKind kind = DiskKind::kOther;
};

// The disk under `device` (a device number as stat gives it), looked up in `sys_root`;
// nothing when the device is no block device there (a container's overlay root).
std::optional<SystemDisk> FindDiskOf(dev_t device, const std::filesystem::path& sys_root);

// The disk under "/", in "/sys".
std::optional<SystemDisk> FindSystemDisk();

}  // namespace tessal
