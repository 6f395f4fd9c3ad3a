#include <sys/random.h>
#include <sys/utsname.h>

#include <cstring>
#include <fstream>
#include <string>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/log/xdg_posix.h"
#include "utils/system/identity.h"
#include "utils/system/localtime.h"
#include "utils/system/sysroot_posix.h"

namespace Utils {

void ToLocalTime(std::time_t time, std::tm& out) {
    localtime_r(&time, &out);
}

bool RandomUuid(std::wstring& out) {
    uint8_t bytes[16];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        LOG_ERROR("RandomUuid failed.", "\n", SystemErrorToStringA(LastSystemError()));
        return false;
    }
    // A version-4 GUID, as CoCreateGuid makes them.
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    const uint32_t data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                           (uint32_t{bytes[2]} << 8) | bytes[3];
    const auto data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    const auto data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    out = FormatGuidText(data1, data2, data3, bytes + 8);
    return true;
}

int GetMachineSID(std::wstring& out) {
    // The machine identifier of systemd/D-Bus: 32 lower-case hex digits.
    std::ifstream in(posix::SystemPath("/etc/machine-id"));
    if (!in) {
        return 20;
    }
    // An empty file was read all right: it holds no identifier (21).
    std::string id;
    std::getline(in, id);
    if (id.size() != 32 || id.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return 21;
    }
    out = Utf8ToWide(id);
    return 0;
}

int GetOSBits() {
    utsname name{};
    if (uname(&name) != 0) {
        return 32;
    }
    return std::strcmp(name.machine, "x86_64") == 0 || std::strcmp(name.machine, "ia64") == 0 ? 64
                                                                                              : 32;
}

bool GetLocalAppDataPath(std::wstring& out) {
    const std::string dir = posix::XdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    if (dir.empty()) {
        return false;
    }
    out = Utf8ToWide(dir);
    return true;
}

}  // namespace Utils
