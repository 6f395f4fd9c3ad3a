// Linux only: drives and the USB test against a fixture tree of
// /proc/self/mountinfo and /sys (through the system root seam).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/drives.h"
#include "utils/system/sysroot_posix.h"

using TestSupport::TempDir;

namespace {

namespace fs = std::filesystem;

// The machine of the fixture:
//   C  /                  virtio disk vda, partition vda1
//   D  /media/usb stick   USB stick sdb, partition sdb1 (removable)
//   E  /mnt/card          removable disk sdc on SATA, partition sdc1
//   F  /mnt/crypt         device-mapper dm-0 on top of the USB disk sdd (sdd1)
//   G  /mnt/unknown       a device /sys knows nothing about
// and mounts that are no drives: a virtual file system, a bind mount of a
// subfolder, a second mount of vda1, /boot and a read-only mount.
class DrivesFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string usbHost =
            "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/"
            "target6:0:0/6:0:0:0/block";
        const std::string usbHost2 =
            "devices/pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/"
            "target7:0:0/7:0:0:0/block";
        Disk("254:1", "devices/pci0000:00/0000:00:04.0/virtio1/block", "vda", "vda1", "0");
        Disk("8:17", usbHost, "sdb", "sdb1", "1");
        Disk("8:33", "devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0/block", "sdc",
             "sdc1", "1");
        Disk("8:49", usbHost2, "sdd", "sdd1", "0");
        Dir("sys/devices/virtual/block/dm-0/slaves");
        File("sys/devices/virtual/block/dm-0/removable", "0\n");
        Link("sys/devices/virtual/block/dm-0/slaves/sdd1",
             "../../../../pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/target7:0:0/7:0:0:0/"
             "block/sdd/sdd1");
        Link("sys/dev/block/253:0", "../../devices/virtual/block/dm-0");
        Dir("proc/self");
        File("proc/self/mountinfo",
             "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
             "23 22 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw\n"
             "24 22 254:1 /srv /var/bind rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
             "25 22 254:2 / /boot rw,relatime shared:3 - ext4 /dev/vda2 rw\n"
             "26 22 8:17 / /media/usb\\040stick rw,nosuid shared:4 - vfat /dev/sdb1 rw\n"
             "27 22 254:3 / /mnt/ro ro,relatime shared:5 - ext4 /dev/vda3 ro\n"
             "28 22 8:33 / /mnt/card rw,relatime shared:6 - ext4 /dev/sdc1 rw\n"
             "29 22 253:0 / /mnt/crypt rw,relatime shared:7 - ext4 /dev/mapper/crypt rw\n"
             "30 22 254:1 / /mnt/again rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
             "31 22 8:99 / /mnt/unknown rw,relatime shared:8 - ext4 /dev/sdz1 rw\n");
        Utils::posix::SetSystemRootForTesting(sysroot_);
    }
    void TearDown() override { Utils::posix::SetSystemRootForTesting(""); }

    std::string At(const std::string& relative) const { return sysroot_ + "/" + relative; }
    void Dir(const std::string& relative) const { fs::create_directories(At(relative)); }
    void File(const std::string& relative, const std::string& text) const {
        ASSERT_TRUE(TestSupport::WriteBytes(Utils::Utf8ToWide(At(relative)), text));
    }
    void Link(const std::string& relative, const std::string& target) const {
        fs::create_directories(fs::path(At(relative)).parent_path());
        fs::create_symlink(target, At(relative));
    }
    // A disk with one partition, and /sys/dev/block/<device> for the partition.
    void Disk(const std::string& device, const std::string& parent, const std::string& disk,
              const std::string& partition, const std::string& removable) const {
        const std::string diskDir = "sys/" + parent + "/" + disk;
        Dir(diskDir + "/" + partition);
        File(diskDir + "/removable", removable + "\n");
        Link("sys/dev/block/" + device, "../../" + parent + "/" + disk + "/" + partition);
    }

    TempDir root_;
    // Named so that the fixture's own path contains "/usb": only what lies
    // below the root may count.
    const std::string sysroot_ = Utils::WideToUtf8(root_.Child(L"usb"));
};

TEST_F(DrivesFixture, MountedReadWriteDevicesAreDrivesInMountOrder) {
    const struct {
        wchar_t letter;
        const wchar_t* root;
        bool fixed;
    } expected[] = {
        {L'C', L"/", true},
        {L'D', L"/media/usb stick/", false},
        {L'E', L"/mnt/card/", false},
        {L'F', L"/mnt/crypt/", true},
        {L'G', L"/mnt/unknown/", false},
    };
    const std::vector<Utils::DriveRoot> drives = Utils::ListDrives();
    ASSERT_EQ(std::size(expected), drives.size());
    for (size_t i = 0; i < drives.size(); ++i) {
        EXPECT_EQ(expected[i].letter, drives[i].letter) << i;
        EXPECT_EQ(expected[i].root, drives[i].root) << i;
        EXPECT_EQ(expected[i].fixed, drives[i].fixed) << Utils::WideToUtf8(drives[i].root);
    }
}

TEST_F(DrivesFixture, UsbIsJudgedFromTheDeviceAndTheDevicesBelowIt) {
    const struct {
        wchar_t letter;
        bool usb;
        const char* why;
    } cases[] = {
        {L'C', false, "a virtio disk"},
        {L'D', true, "a partition of a USB stick"},
        {L'E', false, "removable, but on SATA"},
        {L'F', true, "device-mapper on top of a USB disk"},
        {L'G', true, "an unknown device cannot be told"},
        {L'H', true, "no such drive"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.usb, Utils::IsUsbDrive(c.letter)) << c.why;
    }
}

TEST(PosixDrives, WithoutMountInformationTheRootIsTheOnlyDrive) {
    TempDir empty;
    Utils::posix::SetSystemRootForTesting(Utils::WideToUtf8(empty.path()));
    const std::vector<Utils::DriveRoot> drives = Utils::ListDrives();
    const bool usb = Utils::IsUsbDrive(L'C');
    Utils::posix::SetSystemRootForTesting("");
    ASSERT_EQ(1u, drives.size());
    EXPECT_EQ(L'C', drives[0].letter);
    EXPECT_EQ(L"/", drives[0].root);
    EXPECT_TRUE(usb) << "a root that cannot be examined counts as USB";
}

}  // namespace
