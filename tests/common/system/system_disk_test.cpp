#include "common/system/system_disk.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include "common/system/disk_identity.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

namespace fs = std::filesystem;

// A sysfs tree as the kernel lays it out: devices under "devices", and each device
// number a link under "dev/block".
class FakeSysfs {
public:
    fs::path Device(const std::string& path, bool partition = false) {
        const fs::path folder = root() / "devices" / path;
        fs::create_directories(folder);
        if (partition)
            folder_.Write("devices/" + path + "/partition", "1\n");
        return folder;
    }
    void Number(const std::string& number, const fs::path& device) {
        fs::create_directories(root() / "dev/block");
        fs::create_directory_symlink(fs::relative(device, root() / "dev/block"),
                                     root() / "dev/block" / number);
    }
    void Slave(const fs::path& mapped, const fs::path& below) {
        fs::create_directories(mapped / "slaves");
        fs::create_directory_symlink(fs::relative(below, mapped / "slaves"),
                                     mapped / "slaves" / below.filename());
    }
    fs::path root() const { return folder_.path(); }
    TempFolder folder_;
};

TEST(SystemDiskTest, TheRootsDeviceLeadsToItsDiskThroughPartitionsAndMappings) {
    FakeSysfs sys;
    const auto nvme = sys.Device("pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1");
    const auto nvme_root = sys.Device("pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/nvme0n1p2", true);
    const auto sda = sys.Device("pci0000:00/0000:00:14.0/usb2/2-1/host0/block/sda");
    const auto sda_part = sys.Device("pci0000:00/0000:00:14.0/usb2/2-1/host0/block/sda/sda1", true);
    const auto vda = sys.Device("pci0000:00/0000:00:02.0/virtio1/block/vda");
    const auto crypt = sys.Device("virtual/block/dm-1");
    const auto lvm = sys.Device("virtual/block/dm-0");
    sys.Slave(lvm, crypt);
    sys.Slave(crypt, nvme_root);
    sys.Number("259:2", nvme_root);
    sys.Number("8:1", sda_part);
    sys.Number("254:0", vda);
    sys.Number("253:0", lvm);

    struct Case {
        unsigned major_number, minor_number;
        const char* disk;
        DiskKind kind;
    };
    const Case cases[] = {
        {259, 2, "nvme0n1", DiskKind::kNvme},  // a partition of the NVMe disk
        {8, 1, "sda", DiskKind::kAta},         // the USB disk, were it the root's
        {254, 0, "vda", DiskKind::kOther},     // a whole virtio disk
        {253, 0, "nvme0n1", DiskKind::kNvme},  // LVM over encryption over a partition
    };
    for (const Case& c : cases) {
        const auto disk = FindDiskOf(makedev(c.major_number, c.minor_number), sys.root());
        ASSERT_TRUE(disk) << c.disk;
        EXPECT_EQ(disk->name, c.disk);
        EXPECT_EQ(disk->kind, c.kind) << c.disk;
    }
    EXPECT_EQ(FindDiskOf(makedev(253, 0), sys.root())->sysfs, fs::canonical(nvme));
    EXPECT_EQ(FindDiskOf(makedev(0, 31), sys.root()), std::nullopt);  // an overlay root
}

TEST(SystemDiskTest, AnNvmeDiskIsIdentifiedByItsControllersSerial) {
    TempFolder disk;
    DiskIdentity identity;
    EXPECT_EQ(ReadNvmeIdentity(disk.path(), identity), -1);
    disk.Write("device/serial", "  S4EWNX0R123456     \n");
    disk.Write("device/model", "NVMe SSD 1TB\n");
    disk.Write("device/firmware_rev", "2B2QEXM7\n");
    ASSERT_EQ(ReadNvmeIdentity(disk.path(), identity), 0);
    EXPECT_EQ(identity.serial, "  S4EWNX0R123456     ");
    EXPECT_EQ(identity.model, "NVMe SSD 1TB");
    EXPECT_EQ(identity.firmware, "2B2QEXM7");
}

}  // namespace
}  // namespace tessal
