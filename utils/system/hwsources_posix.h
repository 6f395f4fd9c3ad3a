// Linux only: the native sources behind the WMI classes that the identifier
// functions ask for. Every file is read through posix::SystemPath, so tests
// point the whole set at a fixture tree. Internal to the system library.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Utils::posix {

enum class SourceState { Found, Missing, Unreadable };

// Reads a whole file (below the system root) into `text`. Missing when it
// (or a folder on its way) does not exist; Unreadable for every other
// failure (no permission, a folder, an I/O error).
SourceState ReadSource(const std::string& absolute, std::string& text);

// The first line of `text` without its line end.
std::string FirstLine(const std::string& text);

// What a multi-instance source gave: one value per instance that had one, in
// instance order; `unreadable` when some instance's file exists but could not
// be read.
struct SourceValues {
    std::vector<std::wstring> values;
    bool unreadable = false;
};

// Serial numbers of the disks in /sys/block (devices with a "device" link,
// in name order): device/serial, else serial, else ID_SERIAL_SHORT or
// ID_SERIAL of the udev database /run/udev/data/b<major>:<minor>. The text
// is kept as the source gives it, blanks included.
SourceValues DiskSerials();

// Part numbers of the installed memory modules: DMI type 17 structures in
// /sys/firmware/dmi/entries/17-*/raw (readable by root only on most
// systems), in index order; empty slots (size 0) are skipped.
SourceValues MemoryPartNumbers();

// Per network interface of /sys/class/net in ifindex order, loopback
// excluded (and, with `upOnly`, interfaces that are not up): its MAC address
// (the "address" file as the kernel writes it) or its first IP address (IPv4
// before IPv6, from the interface address query).
SourceValues AdapterMacs(bool upOnly);
SourceValues AdapterIps(bool upOnly);

// The interface addresses as (interface name, numeric address text) pairs in
// the system's order: getifaddrs, or the test query when one is set.
using InterfaceAddressQuery = std::vector<std::pair<std::string, std::string>> (*)();
void SetInterfaceAddressQueryForTesting(InterfaceAddressQuery query);

}  // namespace Utils::posix
