#include "utils/log/xdg_posix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace Utils::posix {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd pw{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir != nullptr && *result->pw_dir == '/') {
        return result->pw_dir;
    }
    return {};
}

std::string XdgBaseDirectory(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value == '/') {
        return value;
    }
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "/" + fallback;
}

}  // namespace Utils::posix
