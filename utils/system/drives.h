// The machine's drives. Windows: the logical drives. Linux: mounted file
// systems stand for drives: the root file system is C, every other mounted
// read-write block device (outside /boot) takes the next letter in mount
// order, up to Z. Stateless; any thread may call them.
#pragma once

#include <string>
#include <vector>

namespace Utils {

struct DriveRoot {
    wchar_t letter;     // L'C', L'D', ...
    std::wstring root;  // "D:\" on Windows; the mount point with a trailing "/" on Linux
    bool fixed;         // DRIVE_FIXED; Linux: a block device not marked removable
};

// The drives in the system's order (Windows: GetLogicalDriveStringsW into a
// buffer of 260 characters). Empty when they cannot be listed.
std::vector<DriveRoot> ListDrives();

// True when the drive is attached over USB or cannot be examined; false for
// any other bus. Linux: the device behind the letter's mount, judged from
// /sys/dev/block (device-mapper and md devices by the devices below them).
bool IsUsbDrive(wchar_t driveLetter);

}  // namespace Utils
