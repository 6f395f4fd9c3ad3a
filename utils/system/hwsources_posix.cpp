#include "utils/system/hwsources_posix.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "utils/log/textconv.h"
#include "utils/system/sysroot_posix.h"

namespace Utils::posix {

namespace {

std::atomic<InterfaceAddressQuery> g_addressQuery{nullptr};

// Names in a folder below the system root (without "." and ".."), sorted.
// False when the folder cannot be listed; `missing` tells why.
bool ListFolder(const std::string& absolute, std::vector<std::string>& names, bool& missing) {
    DIR* dir = opendir(SystemPath(absolute).c_str());
    if (dir == nullptr) {
        missing = errno == ENOENT || errno == ENOTDIR;
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

bool Exists(const std::string& absolute) {
    return access(SystemPath(absolute).c_str(), F_OK) == 0;
}

// Adds the first line of a file to `out` when it can be read; notes an
// existing file that cannot. Returns whether the file was found.
bool TakeFirstLine(const std::string& absolute, SourceValues& out) {
    std::string text;
    switch (ReadSource(absolute, text)) {
        case SourceState::Found:
            out.values.push_back(Utf8ToWide(FirstLine(text)));
            return true;
        case SourceState::Unreadable:
            out.unreadable = true;
            return true;
        case SourceState::Missing:
            break;
    }
    return false;
}

// "E:KEY=value" of a udev database record; "" when absent.
std::string UdevProperty(const std::string& record, const std::string& key) {
    const std::string prefix = "E:" + key + "=";
    size_t start = 0;
    while (start < record.size()) {
        size_t end = record.find('\n', start);
        if (end == std::string::npos) {
            end = record.size();
        }
        if (record.compare(start, prefix.size(), prefix) == 0) {
            return record.substr(start + prefix.size(), end - start - prefix.size());
        }
        start = end + 1;
    }
    return {};
}

// The serial of one disk from its udev record; false when there is none.
bool UdevSerial(const std::string& disk, SourceValues& out) {
    std::string dev;
    if (ReadSource("/sys/block/" + disk + "/dev", dev) != SourceState::Found) {
        return false;
    }
    std::string record;
    const SourceState state = ReadSource("/run/udev/data/b" + FirstLine(dev), record);
    if (state == SourceState::Unreadable) {
        out.unreadable = true;
        return true;
    }
    for (const char* key : {"ID_SERIAL_SHORT", "ID_SERIAL"}) {
        const std::string serial = UdevProperty(record, key);
        if (!serial.empty()) {
            out.values.push_back(Utf8ToWide(serial));
            return true;
        }
    }
    return false;
}

// The string numbered `index` (from 1) in the string set after a DMI
// structure's formatted area; "" for index 0 or a missing string.
std::string DmiString(const std::string& raw, size_t formattedLength, unsigned index) {
    size_t pos = formattedLength;
    for (unsigned i = 1; index != 0 && pos < raw.size(); ++i) {
        const size_t end = raw.find('\0', pos);
        if (end == std::string::npos || end == pos) {
            return {};  // the double zero ends the set
        }
        if (i == index) {
            return raw.substr(pos, end - pos);
        }
        pos = end + 1;
    }
    return {};
}

struct Interface {
    long index;
    std::string name;
};

// The non-loopback interfaces of /sys/class/net in ifindex order (the order
// the system numbers its adapters in), optionally only those that are up.
bool ListInterfaces(bool upOnly, std::vector<Interface>& out, SourceValues& state) {
    std::vector<std::string> names;
    bool missing = false;
    if (!ListFolder("/sys/class/net", names, missing)) {
        state.unreadable = !missing;
        return false;
    }
    for (const std::string& name : names) {
        const std::string base = "/sys/class/net/" + name;
        std::string flagsText, indexText;
        if (ReadSource(base + "/flags", flagsText) != SourceState::Found) {
            continue;  // not an interface folder, or nothing to judge it by
        }
        const unsigned long flags = std::strtoul(FirstLine(flagsText).c_str(), nullptr, 16);
        if ((flags & IFF_LOOPBACK) != 0 || (upOnly && (flags & IFF_UP) == 0)) {
            continue;
        }
        ReadSource(base + "/ifindex", indexText);
        out.push_back({std::strtol(FirstLine(indexText).c_str(), nullptr, 10), name});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Interface& a, const Interface& b) { return a.index < b.index; });
    return true;
}

std::vector<std::pair<std::string, std::string>> SystemInterfaceAddresses() {
    std::vector<std::pair<std::string, std::string>> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return out;
    }
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_name == nullptr) {
            continue;
        }
        char text[INET6_ADDRSTRLEN] = {};
        const int family = a->ifa_addr->sa_family;
        const void* address = nullptr;
        if (family == AF_INET) {
            address = &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr;
        } else if (family == AF_INET6) {
            address = &reinterpret_cast<const sockaddr_in6*>(a->ifa_addr)->sin6_addr;
        }
        if (address != nullptr && inet_ntop(family, address, text, sizeof text) != nullptr) {
            out.emplace_back(a->ifa_name, text);
        }
    }
    freeifaddrs(list);
    return out;
}

}  // namespace

SourceState ReadSource(const std::string& absolute, std::string& text) {
    text.clear();
    const int fd = open(SystemPath(absolute).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? SourceState::Missing : SourceState::Unreadable;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    // The read's error is what the caller's error line reports, not close's.
    const int readError = errno;
    close(fd);
    errno = readError;
    return n == 0 ? SourceState::Found : SourceState::Unreadable;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

SourceValues DiskSerials() {
    SourceValues out;
    std::vector<std::string> disks;
    bool missing = false;
    if (!ListFolder("/sys/block", disks, missing)) {
        out.unreadable = !missing;
        return out;
    }
    for (const std::string& disk : disks) {
        const std::string base = "/sys/block/" + disk;
        if (!Exists(base + "/device")) {
            continue;  // loop, ram, device-mapper: no hardware behind it
        }
        if (!TakeFirstLine(base + "/device/serial", out) && !TakeFirstLine(base + "/serial", out)) {
            UdevSerial(disk, out);
        }
    }
    return out;
}

SourceValues MemoryPartNumbers() {
    SourceValues out;
    std::vector<std::string> entries;
    bool missing = false;
    if (!ListFolder("/sys/firmware/dmi/entries", entries, missing)) {
        out.unreadable = !missing;
        return out;
    }
    // "17-<n>" folders, by n.
    std::vector<std::pair<long, std::string>> modules;
    for (const std::string& entry : entries) {
        if (entry.compare(0, 3, "17-") == 0) {
            modules.emplace_back(std::strtol(entry.c_str() + 3, nullptr, 10), entry);
        }
    }
    std::sort(modules.begin(), modules.end());
    for (const auto& module : modules) {
        std::string raw;
        const SourceState state =
            ReadSource("/sys/firmware/dmi/entries/" + module.second + "/raw", raw);
        if (state == SourceState::Unreadable) {
            out.unreadable = true;
        }
        // Type, formatted length, handle, ...; size at 0x0C, part number's
        // string number at 0x1A.
        if (state != SourceState::Found || raw.size() < 0x1B ||
            static_cast<uint8_t>(raw[0]) != 17) {
            continue;
        }
        const size_t length = static_cast<uint8_t>(raw[1]);
        if (length < 0x1B || length > raw.size()) {
            continue;
        }
        const unsigned size = static_cast<uint8_t>(raw[0x0C]) |
                              (static_cast<unsigned>(static_cast<uint8_t>(raw[0x0D])) << 8);
        if (size == 0) {
            continue;  // an empty slot
        }
        const std::string part = DmiString(raw, length, static_cast<uint8_t>(raw[0x1A]));
        if (!part.empty()) {
            out.values.push_back(Utf8ToWide(part));
        }
    }
    return out;
}

SourceValues AdapterMacs(bool upOnly) {
    SourceValues out;
    std::vector<Interface> interfaces;
    if (!ListInterfaces(upOnly, interfaces, out)) {
        return out;
    }
    for (const Interface& i : interfaces) {
        TakeFirstLine("/sys/class/net/" + i.name + "/address", out);
    }
    return out;
}

SourceValues AdapterIps(bool upOnly) {
    SourceValues out;
    std::vector<Interface> interfaces;
    if (!ListInterfaces(upOnly, interfaces, out)) {
        return out;
    }
    const InterfaceAddressQuery query = g_addressQuery.load();
    const auto addresses = query != nullptr ? query() : SystemInterfaceAddresses();
    for (const Interface& i : interfaces) {
        // An adapter lists its IPv4 addresses before its IPv6 ones.
        std::string first;
        for (const bool v4 : {true, false}) {
            for (const auto& a : addresses) {
                if (first.empty() && a.first == i.name &&
                    (a.second.find(':') == std::string::npos) == v4) {
                    first = a.second;
                }
            }
        }
        if (!first.empty()) {
            out.values.push_back(Utf8ToWide(first));
        }
    }
    return out;
}

void SetInterfaceAddressQueryForTesting(InterfaceAddressQuery query) {
    g_addressQuery.store(query);
}

}  // namespace Utils::posix
