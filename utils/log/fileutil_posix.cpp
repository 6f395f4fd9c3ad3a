#include <unistd.h>

#include <fstream>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/log/xdg_posix.h"

namespace Utils {

int CheckFileA(const std::string& path) {
    LOG_ENTRY();
    return access(path.c_str(), F_OK) == 0 ? 0 : -1;
}

int CheckFileW(const std::wstring& path) {
    LOG_ENTRY();
    return access(WideToUtf8(path).c_str(), F_OK) == 0 ? 0 : -1;
}

bool PathExists(const std::wstring& path) {
    return access(WideToUtf8(path).c_str(), F_OK) == 0;
}

bool GetDesktopPathA(std::string& out) {
    // The XDG desktop folder: XDG_DESKTOP_DIR in user-dirs.dirs, else ~/Desktop.
    const std::string home = posix::HomeDirectory();
    if (home.empty()) {
        return false;
    }
    std::string desktop = home + "/Desktop";
    const std::string config = posix::XdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DESKTOP_DIR=\"";
    while (std::getline(dirs, line)) {
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/') {
            desktop = value;
        }
    }
    out = desktop;
    return true;
}

std::filesystem::path NativePath(const std::wstring& path) {
    return std::filesystem::path(WideToUtf8(path));
}

}  // namespace Utils
