#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <direct.h>

#include "utils/log/log.h"
#include "utils/log/log_platform.h"

namespace Utils {

const wchar_t* PathSeparator() {
    return L"\\";
}

namespace detail {

LogTime LocalTimeNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::wstring DefaultLogDir() {
    // The log lives in the TMP folder; a process without TMP (rare) falls
    // back to the system's temporary folder rather than the current one.
    const wchar_t* tmp = _wgetenv(L"TMP");
    if (tmp != nullptr && *tmp != L'\0') {
        return std::wstring(tmp) + L"\\";
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n > 0 && n <= MAX_PATH) {
        std::wstring dir(buffer, n);
        if (dir.back() != L'\\') {
            dir += L"\\";
        }
        return dir;
    }
    return L"\\";
}

std::wstring ProgramDirectory() {
    wchar_t buffer[255] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, 255);
    if (n == 0 || n >= 255) {
        return {};
    }
    std::wstring path(buffer, n);
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void MakeOneDirectory(const std::wstring& dir) {
    _wmkdir(dir.c_str());
}

FILE* OpenAppendW(const std::wstring& path) {
    return _wfopen(path.c_str(), L"a+");
}

FILE* OpenAppendA(const std::string& path) {
    return std::fopen(path.c_str(), "a+");
}

void MoveNoReplace(const std::wstring& from, const std::wstring& to) {
    MoveFileW(from.c_str(), to.c_str());
}

std::string DefaultErrorLogFlagFile() {
    return "C:\\vorlinDesktopErrorLogFlag.debug";
}

}  // namespace detail
}  // namespace Utils
