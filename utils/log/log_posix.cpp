#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/log_platform.h"
#include "utils/log/textconv.h"

namespace Utils {

const wchar_t* PathSeparator() {
    return L"/";
}

namespace detail {

LogTime LocalTimeNow() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm tm{};
    const std::time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &tm);
    return {tm.tm_year + 1900,
            tm.tm_mon + 1,
            tm.tm_mday,
            tm.tm_hour,
            tm.tm_min,
            tm.tm_sec,
            static_cast<int>(tv.tv_usec / 1000)};
}

std::wstring DefaultLogDir() {
    for (const char* name : {"TMP", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return Utf8ToWide(value) + L"/";
        }
    }
    return L"/tmp/";
}

std::wstring ProgramDirectory() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::wstring() : Utf8ToWide(path.substr(0, slash + 1));
}

void MakeOneDirectory(const std::wstring& dir) {
    mkdir(WideToUtf8(dir).c_str(), 0777);
}

FILE* OpenAppendW(const std::wstring& path) {
    return std::fopen(WideToUtf8(path).c_str(), "a+e");
}

FILE* OpenAppendA(const std::string& path) {
    return std::fopen(path.c_str(), "a+e");
}

void MoveNoReplace(const std::wstring& from, const std::wstring& to) {
    // link + unlink never replaces an existing target, like MoveFileW.
    const std::string src = WideToUtf8(from);
    const std::string dst = WideToUtf8(to);
    if (link(src.c_str(), dst.c_str()) == 0) {
        unlink(src.c_str());
    }
}

std::string DefaultErrorLogFlagFile() {
    return "/vorlinDesktopErrorLogFlag.debug";
}

}  // namespace detail
}  // namespace Utils
