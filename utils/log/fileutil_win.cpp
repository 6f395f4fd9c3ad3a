#include <windows.h>

#include <io.h>
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
