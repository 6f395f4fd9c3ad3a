#include <windows.h>

#include <io.h>

#include <direct.h>

#include "utils/system/disk.h"
#include "utils/system/identity.h"
#include "utils/system/private_dir.h"

namespace Utils {

namespace {
constexpr int64_t kHugeFreeSpace = int64_t{1} << 40;
}

bool CreateUniqueTempDirectory(std::wstring& dir) {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) {
        return false;
    }
    // GetTempPathW ends with a backslash.
    return CreateUniquePrivateDirectory(base, dir);
}

void CreateDirectories(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/')) {
        return;
    }
    std::wstring built = path.substr(0, 2);
    std::wstring rest = path.substr(3);
    for (;;) {
        const size_t slash = rest.find(L'\\');
        built += L"\\" + rest.substr(0, slash);
        if (_waccess(built.c_str(), 0) == -1) {
            _wmkdir(built.c_str());
        }
        if (slash == std::wstring::npos) {
            break;
        }
        rest.erase(0, slash + 1);
    }
}

bool GetFreeSpace(const std::wstring& dir, int64_t* freeBytes) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(dir.c_str(), &available, nullptr, nullptr)) {
        return false;
    }
    if (freeBytes != nullptr) {
        const auto value = static_cast<int64_t>(available.QuadPart);
        *freeBytes = value < 0 ? kHugeFreeSpace : value;
    }
    return true;
}

int64_t GetFreeBytes(const std::wstring& dir) {
    int64_t value = -1;
    return GetFreeSpace(dir, &value) ? value : -1;
}

bool DeleteFileOnReboot(const std::wstring& path) {
    if (path.size() >= MAX_PATH) {
        return false;
    }
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

int HonourPendingDeletes() {
    return 0;
}

std::wstring DriveOfPath(const std::wstring& path) {
    const size_t colon = path.find(L':');
    return colon == std::wstring::npos ? std::wstring() : path.substr(0, colon + 1);
}

}  // namespace Utils
