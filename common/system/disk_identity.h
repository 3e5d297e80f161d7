#pragma once

// The identity of the first disk (model, serial number, firmware revision) as its ATA
// IDENTIFY DEVICE data gives it; the serial number identifies the machine to the site.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tessal {

struct DiskIdentity {
    std::string model;     // 40 characters at most
    std::string serial;    // 20 characters at most
    std::string firmware;  // 8 characters at most
};

inline constexpr std::size_t kIdentifyBlockBytes = 512;

// Cuts the three text fields out of identify data in the device's byte order, where each
// 16-bit word holds its first character in the high byte. Padding blanks stay; a field
// ends at its first zero byte.
DiskIdentity ParseIdentifyBlock(std::span<const std::uint8_t, kIdentifyBlockBytes> block);

// Reads the identity of `device`; 0 on success, -1 with a line on stderr on failure.
// On success prints "\n->Firmware: %s", "\n->Serial: %s" and "\n->Model: %s" to stdout.
int ReadDiskIdentityOf(const std::filesystem::path& device, DiskIdentity& identity);

// The controller's serial, model and firmware of an NVMe disk from its sysfs folder
// (`disk_folder`/device/serial, model, firmware_rev); 0, or -1 when there is no serial.
int ReadNvmeIdentity(const std::filesystem::path& disk_folder, DiskIdentity& identity);

// The same for the disk the system runs from (see system_disk.h): ATA IDENTIFY for an
// sd* disk (opening it needs the "disk" group, so a normal user gets -1), the sysfs
// serial for an NVMe disk, and -1 for any other kind; on -1 the caller falls back to the
// machine-identity file.
int ReadDiskIdentity(DiskIdentity& identity);

}  // namespace tessal
