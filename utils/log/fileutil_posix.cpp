#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

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

bool ReadFileBytes(const std::wstring& path, std::string& out) {
    return ReadFileTail(path, static_cast<size_t>(-1), out);
}

bool ReadFileTail(const std::wstring& path, size_t maxBytes, std::string& out) {
    out.clear();
    const int fd = open(WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        ok = false;
        errno = EISDIR;
    }
    // The size is where the end is now: a file that grows meanwhile (the log)
    // is read up to that point.
    const off_t size = ok ? lseek(fd, 0, SEEK_END) : -1;
    const off_t start = size > 0 && static_cast<unsigned long long>(size) > maxBytes
                            ? size - static_cast<off_t>(maxBytes)
                            : 0;
    ok = size >= 0 && lseek(fd, start, SEEK_SET) == start;
    char buffer[16384];
    off_t left = ok ? size - start : 0;
    while (ok && left > 0) {
        const ssize_t n =
            read(fd, buffer, static_cast<size_t>(std::min<off_t>(left, sizeof buffer)));
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
        left -= n;
    }
    const int error = errno;
    close(fd);
    errno = error;
    if (!ok) {
        out.clear();
    }
    return ok;
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
