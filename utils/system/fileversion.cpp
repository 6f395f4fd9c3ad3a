#include "utils/system/fileversion.h"

#include "utils/log/log.h"
#include "utils/log/textconv.h"

namespace Utils {

bool GetFileVersion(const std::wstring& file, std::wstring& out) {
    LOG_ENTRY();
    return QueryValue(L"FileVersion", file, out);
}

bool GetProductVersion(const std::wstring& file, std::wstring& out) {
    LOG_ENTRY();
    return QueryValue(L"ProductVersion", file, out);
}

std::wstring GetSelfVersion() {
    LOG_ENTRY();
    std::wstring version;
    return GetProductVersion(GetSelfPath(), version) ? version : std::wstring();
}

std::wstring GetSelfName() {
    const std::wstring path = GetSelfPath();
    const size_t slash = path.rfind(PathSeparator()[0]);
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace Utils
