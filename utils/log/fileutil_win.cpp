#include <windows.h>

#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <shlobj.h>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"

namespace Utils {

int CheckFileA(const std::string& path) {
    LOG_ENTRY();
    return _access(path.c_str(), 0) == 0 ? 0 : -1;
}

int CheckFileW(const std::wstring& path) {
    LOG_ENTRY();
    return _waccess(path.c_str(), 0) == 0 ? 0 : -1;
}

bool PathExists(const std::wstring& path) {
    return _waccess(path.c_str(), 0) == 0;
}

bool ReadFileBytes(const std::wstring& path, std::string& out) {
    return ReadFileTail(path, static_cast<size_t>(-1), out);
}

bool ReadFileTail(const std::wstring& path, size_t maxBytes, std::string& out) {
    out.clear();
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) != 0 || (info.st_mode & _S_IFREG) == 0) {
        return false;
    }
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    // The size is where the end is now: a file that grows meanwhile (the log)
    // is read up to that point.
    bool ok = _fseeki64(file, 0, SEEK_END) == 0;
    const long long size = ok ? _ftelli64(file) : -1;
    const long long start = size > 0 && static_cast<unsigned long long>(size) > maxBytes
                                ? size - static_cast<long long>(maxBytes)
                                : 0;
    ok = size >= 0 && _fseeki64(file, start, SEEK_SET) == 0;
    char buffer[16384];
    long long left = ok ? size - start : 0;
    while (ok && left > 0) {
        const size_t want = static_cast<size_t>(left < 16384 ? left : 16384);
        const size_t n = std::fread(buffer, 1, want, file);
        if (n == 0) {
            ok = std::ferror(file) == 0;
            break;
        }
        out.append(buffer, n);
        left -= static_cast<long long>(n);
    }
    std::fclose(file);
    if (!ok) {
        out.clear();
    }
    return ok;
}

bool GetDesktopPathA(std::string& out) {
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return false;
    }
    out = buffer;
    return true;
}

std::filesystem::path NativePath(const std::wstring& path) {
    return std::filesystem::path(path);
}

}  // namespace Utils
