// Linux drives: mounts read from /proc/self/mountinfo, devices judged from
// /sys/dev/block. Both paths go through posix::SystemPath, so tests can run
// this against a fixture tree.
#include <limits.h>
#include <stdlib.h>

#include <dirent.h>

#include <fstream>
#include <set>
#include <sstream>

#include "utils/log/textconv.h"
#include "utils/system/drives.h"
#include "utils/system/sysroot_posix.h"

namespace Utils {

namespace {

struct Mount {
    std::string device;  // "major:minor"
    std::string point;   // mount point, with a trailing "/"
    bool fixed;
};

// Mount points in mountinfo escape blanks and a few other bytes as \ooo.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The sysfs folder of a block device, resolved through its symlink; "" when
// the device is unknown.
std::string DeviceFolder(const std::string& device) {
    char resolved[PATH_MAX];
    const std::string link = posix::SystemPath("/sys/dev/block/" + device);
    return realpath(link.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool IsRemovable(const std::string& folder) {
    // A partition's flag sits on its disk, the parent folder.
    for (const std::string& f : {folder, folder.substr(0, folder.rfind('/'))}) {
        const std::string value = ReadFirstLine(f + "/removable");
        if (!value.empty()) {
            return value == "1";
        }
    }
    return false;
}

// The part of a resolved sysfs path below the system root ("/sys/devices/...");
// the root's own path (a test fixture's folder) says nothing about the device.
std::string BelowSystemRoot(const std::string& resolved) {
    char root[PATH_MAX];
    const std::string base = posix::SystemPath("/");
    if (base == "/" || realpath(base.c_str(), root) == nullptr) {
        return resolved;
    }
    const std::string prefix(root);
    return resolved.compare(0, prefix.size(), prefix) == 0 ? resolved.substr(prefix.size())
                                                           : resolved;
}

// USB when the device, or a device it is built on, hangs below a USB bus.
bool IsUsbFolder(const std::string& folder, int depth) {
    if (BelowSystemRoot(folder).find("/usb") != std::string::npos) {
        return true;
    }
    if (depth > 8) {
        return true;  // cannot be told
    }
    for (const std::string& base : {folder, folder.substr(0, folder.rfind('/'))}) {
        DIR* dir = opendir((base + "/slaves").c_str());
        if (dir == nullptr) {
            continue;
        }
        bool usb = false;
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            char resolved[PATH_MAX];
            const std::string link = base + "/slaves/" + name;
            usb = realpath(link.c_str(), resolved) == nullptr || IsUsbFolder(resolved, depth + 1);
            if (usb) {
                break;
            }
        }
        closedir(dir);
        return usb;
    }
    return false;
}

std::vector<Mount> ReadMounts() {
    std::vector<Mount> mounts;
    std::ifstream in(posix::SystemPath("/proc/self/mountinfo"));
    std::string line;
    std::set<std::string> seenDevices;
    bool haveRoot = false;
    while (std::getline(in, line)) {
        // id parent major:minor root mount-point options [optional...] - type source super
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, field;
        fields >> id >> parent >> device >> root >> point >> options;
        while (fields >> field && field != "-") {
        }
        std::string type, source;
        fields >> type >> source;
        point = Unescape(point);
        if (point.empty()) {
            continue;
        }
        const bool readOnly = options == "ro" || options.rfind("ro,", 0) == 0;
        if (point == "/") {
            if (!haveRoot) {
                const std::string folder = DeviceFolder(device);
                mounts.insert(mounts.begin(),
                              {device, "/", folder.empty() || !IsRemovable(folder)});
                seenDevices.insert(device);
                haveRoot = true;
            }
            continue;
        }
        if (source.rfind("/dev/", 0) != 0 || root != "/" || readOnly || point == "/boot" ||
            point.rfind("/boot/", 0) == 0 || seenDevices.count(device)) {
            continue;
        }
        seenDevices.insert(device);
        const std::string folder = DeviceFolder(device);
        mounts.push_back({device, point + "/", !folder.empty() && !IsRemovable(folder)});
    }
    if (!haveRoot) {
        mounts.insert(mounts.begin(), {"", "/", true});
    }
    return mounts;
}

}  // namespace

std::vector<DriveRoot> ListDrives() {
    std::vector<DriveRoot> drives;
    wchar_t letter = L'C';
    for (const Mount& m : ReadMounts()) {
        if (letter > L'Z') {
            break;
        }
        drives.push_back({letter++, Utf8ToWide(m.point), m.fixed});
    }
    return drives;
}

bool IsUsbDrive(wchar_t driveLetter) {
    wchar_t letter = L'C';
    for (const Mount& m : ReadMounts()) {
        if (letter++ != driveLetter) {
            continue;
        }
        const std::string folder = m.device.empty() ? std::string() : DeviceFolder(m.device);
        return folder.empty() || IsUsbFolder(folder, 0);
    }
    return true;
}

}  // namespace Utils
