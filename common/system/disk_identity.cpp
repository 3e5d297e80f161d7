#include "common/system/disk_identity.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <utility>

#include "common/system/system_disk.h"

namespace tessal {
namespace {

using IdentifyBlock = std::array<std::uint8_t, kIdentifyBlockBytes>;

constexpr std::uint8_t kAtaPassThrough16 = 0x85;
constexpr std::uint8_t kAtaIdentifyDevice = 0xEC;
constexpr unsigned int kPassThroughTimeoutMs = 3000;

// Bytes [offset, offset + length) with the two bytes of each word swapped, up to the
// first zero byte.
std::string IdentifyText(std::span<const std::uint8_t, kIdentifyBlockBytes> block,
                         std::size_t offset, std::size_t length) {
    std::string text;
    for (std::size_t i = offset; i < offset + length; i += 2) {
        text += static_cast<char>(block[i + 1]);
        text += static_cast<char>(block[i]);
    }
    return text.substr(0, text.find('\0'));
}

void SwapWordBytes(IdentifyBlock& block) {
    for (std::size_t i = 0; i < block.size(); i += 2) {
        std::swap(block[i], block[i + 1]);
    }
}

// The kernel hands out the identify data with its text fields already in reading order,
// so each word is swapped back to the device's order that the parser expects.
bool IdentifyThroughHdio(int fd, IdentifyBlock& block) {
    if (ioctl(fd, HDIO_GET_IDENTITY, block.data()) != 0) {
        std::fprintf(stderr, "HDIO_GET_IDENTITY Error: %d\n", errno);
        return false;
    }
    SwapWordBytes(block);
    return true;
}

// ATA PASS-THROUGH (16) carrying IDENTIFY DEVICE, for disks behind SCSI translation
// (USB bridges) that do not answer HDIO_GET_IDENTITY. The data arrives in device order.
bool IdentifyThroughPassThrough(int fd, IdentifyBlock& block) {
    std::array<std::uint8_t, 16> command{};
    command[0] = kAtaPassThrough16;
    command[1] = 4 << 1;  // protocol: PIO data-in
    command[2] = 0x0E;    // data from the device, length in blocks, taken from the sector count
    command[6] = 1;       // sector count
    command[14] = kAtaIdentifyDevice;
    std::array<std::uint8_t, 32> sense{};
    sg_io_hdr_t request{};
    request.interface_id = 'S';
    request.dxfer_direction = SG_DXFER_FROM_DEV;
    request.cmd_len = command.size();
    request.cmdp = command.data();
    request.dxfer_len = block.size();
    request.dxferp = block.data();
    request.mx_sb_len = sense.size();
    request.sbp = sense.data();
    request.timeout = kPassThroughTimeoutMs;
    if (ioctl(fd, SG_IO, &request) != 0) {
        std::fprintf(stderr, "SG_IO Error: %d\n", errno);
        return false;
    }
    if ((request.info & SG_INFO_OK_MASK) != SG_INFO_OK) {
        std::fprintf(stderr, "SG_IO Status: %d\n", request.status);
        return false;
    }
    return true;
}

}  // namespace

DiskIdentity ParseIdentifyBlock(std::span<const std::uint8_t, kIdentifyBlockBytes> block) {
    DiskIdentity identity;
    identity.firmware = IdentifyText(block, 46, 8);
    identity.serial = IdentifyText(block, 20, 20);
    identity.model = IdentifyText(block, 54, 40);
    return identity;
}

int ReadDiskIdentityOf(const std::filesystem::path& device, DiskIdentity& identity) {
    const int fd = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "open() Error: %d\n", errno);
        return -1;
    }
    IdentifyBlock block{};
    const bool read = IdentifyThroughHdio(fd, block) || IdentifyThroughPassThrough(fd, block);
    close(fd);
    if (!read) {
        return -1;
    }
    identity = ParseIdentifyBlock(block);
    std::printf("\n->Firmware: %s", identity.firmware.c_str());
    std::printf("\n->Serial: %s", identity.serial.c_str());
    std::printf("\n->Model: %s", identity.model.c_str());
    return 0;
}

int ReadNvmeIdentity(const std::filesystem::path& disk_folder, DiskIdentity& identity) {
    const std::filesystem::path controller = disk_folder / "device";
    const auto field = [&](const char* name) {
        std::ifstream file(controller / name);
        std::string text;
        std::getline(file, text);
        return text;
    };
    identity.serial = field("serial");
    if (identity.serial.empty()) {
        std::fprintf(stderr, "NVMe serial Error: %s\n", (controller / "serial").c_str());
        return -1;
    }
    identity.model = field("model");
    identity.firmware = field("firmware_rev");
    return 0;
}

int ReadDiskIdentity(DiskIdentity& identity) {
    const std::optional<SystemDisk> disk = FindSystemDisk();
    if (!disk) {
        std::fprintf(stderr, "System disk Error: not found\n");
        return -1;
    }
    switch (disk->kind) {
        case DiskKind::kAta:
            return ReadDiskIdentityOf("/dev/" + disk->name, identity);
        case DiskKind::kNvme:
            return ReadNvmeIdentity(disk->sysfs, identity);
        case DiskKind::kOther:
            break;
    }
    std::fprintf(stderr, "System disk Error: %s has no serial\n", disk->name.c_str());
    return -1;
}

}  // namespace tessal
