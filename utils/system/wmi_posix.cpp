// Linux answers to the WMI queries of the identifier functions, from the
// nearest native sources (docs/platform.md has the table). Class and
// property names compare without regard to case, as in WMI. A source that
// exists but cannot be read, and a query this mapping has no source for,
// fail as a WMI query would (16); a missing source is a query that found no
// instance (0, nothing appended).
#include <strings.h>
#include <sys/utsname.h>

#include <string>
#include <vector>

#include "utils/log/textconv.h"
#include "utils/system/hwinfo.h"
#include "utils/system/hwsources_posix.h"

namespace Utils {

namespace {

using posix::SourceState;
using posix::SourceValues;

bool Same(const std::wstring& a, const char* b) {
    return strcasecmp(WideToUtf8(a).c_str(), b) == 0;
}

// One file holding one value (DMI identifiers, the kernel release).
SourceValues SingleValue(const std::string& absolute) {
    SourceValues out;
    std::string text;
    switch (posix::ReadSource(absolute, text)) {
        case SourceState::Found:
            out.values.push_back(Utf8ToWide(posix::FirstLine(text)));
            break;
        case SourceState::Unreadable:
            out.unreadable = true;
            break;
        case SourceState::Missing:
            break;
    }
    return out;
}

SourceValues KernelRelease() {
    SourceValues out = SingleValue("/proc/sys/kernel/osrelease");
    utsname name{};
    if (out.values.empty() && !out.unreadable && uname(&name) == 0) {
        out.values.push_back(Utf8ToWide(name.release));
    }
    return out;
}

// The value of KEY=value in an os-release text, with its shell quoting
// undone; "" when the key is absent.
std::string OsReleaseValue(const std::string& text, const std::string& key) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, key.size() + 1, key + "=") != 0) {
            continue;
        }
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            const char quote = value.front();
            value = value.substr(1, value.size() - 2);
            if (quote == '"') {
                std::string unescaped;
                for (size_t i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size()) {
                        ++i;
                    }
                    unescaped += value[i];
                }
                value = unescaped;
            }
        }
        return value;
    }
    return {};
}

// PRETTY_NAME (else NAME) of /etc/os-release, else of /usr/lib/os-release.
SourceValues OsName() {
    SourceValues out;
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::string text;
        const SourceState state = posix::ReadSource(file, text);
        if (state == SourceState::Unreadable) {
            out.unreadable = true;
        }
        if (state != SourceState::Found) {
            continue;
        }
        std::string name = OsReleaseValue(text, "PRETTY_NAME");
        if (name.empty()) {
            name = OsReleaseValue(text, "NAME");
        }
        if (!name.empty()) {
            out.values.push_back(Utf8ToWide(name));
        }
        break;
    }
    return out;
}

// The source of one class and property; false when this mapping has none.
bool Lookup(const std::wstring& className, const std::wstring& property, const std::wstring& filter,
            SourceValues& out) {
    const bool noFilter = filter.empty();
    const bool ipEnabled = Same(filter, "WHERE IPEnabled = 'TRUE'");
    if (Same(className, "Win32_ComputerSystemProduct") && Same(property, "UUID") && noFilter) {
        out = SingleValue("/sys/class/dmi/id/product_uuid");
    } else if (Same(className, "Win32_BIOS") && Same(property, "SerialNumber") && noFilter) {
        out = SingleValue("/sys/class/dmi/id/product_serial");
    } else if (Same(className, "Win32_DiskDrive") && Same(property, "SerialNumber") && noFilter) {
        out = posix::DiskSerials();
    } else if (Same(className, "Win32_PhysicalMemory") && Same(property, "PartNumber") &&
               noFilter) {
        out = posix::MemoryPartNumbers();
    } else if (Same(className, "Win32_NetworkAdapterConfiguration") &&
               Same(property, "MACAddress") && (noFilter || ipEnabled)) {
        out = posix::AdapterMacs(ipEnabled);
    } else if (Same(className, "Win32_NetworkAdapterConfiguration") &&
               Same(property, "IPAddress") && (noFilter || ipEnabled)) {
        out = posix::AdapterIps(ipEnabled);
    } else if (Same(className, "Win32_OperatingSystem") && Same(property, "Version") && noFilter) {
        out = KernelRelease();
    } else if (Same(className, "Win32_OperatingSystem") && Same(property, "Name") && noFilter) {
        out = OsName();
    } else {
        return false;
    }
    return true;
}

}  // namespace

int GetWmiValue(const std::wstring& className, const std::wstring& property,
                const std::wstring& filter, std::vector<std::wstring>& values) {
    SourceValues found;
    if (!Lookup(className, property, filter, found)) {
        return kWmiQueryFailed;
    }
    // An instance that could not be read while none could be is a failed
    // query; a partial answer still counts, as WMI's would.
    if (found.unreadable && found.values.empty()) {
        return kWmiQueryFailed;
    }
    values.insert(values.end(), found.values.begin(), found.values.end());
    return kWmiOk;
}

}  // namespace Utils
