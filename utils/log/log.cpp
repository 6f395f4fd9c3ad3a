#include "utils/log/log.h"

#include <cstring>
#include <mutex>
#include <string>

#include "utils/log/fileutil.h"
#include "utils/log/log_platform.h"
#include "utils/log/textconv.h"

namespace Utils {

std::wstring g_wstrLogDir = detail::DefaultLogDir();
std::wstring g_wstrLogFile = g_wstrLogDir + L"Tavo_installer.log";
std::wstring g_wstrLogFileOld = g_wstrLogDir + L"Tavo_installer_old.log";
bool g_bFirstLog = true;
std::string g_strErrorLogFlagFile = detail::DefaultErrorLogFlagFile();
std::string g_strErrorLogName = "vorlinDesktopError.log";
std::string g_strErrorLogFile;
bool g_bErrorLogEnabled = false;

namespace {

// One writer at a time: the rename, the state flags and the two appends of
// a line form one step. Function-local so that it exists before any static
// initialiser of another file could log.
std::mutex& LogMutex() {
    static std::mutex m;
    return m;
}

const char* BaseName(const char* path) {
    if (path == nullptr) {
        return "";
    }
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') {
            base = p + 1;
        }
    }
    return base;
}

// Appends the whole line with one write; returns whether the file opened.
bool AppendLine(FILE* file, const std::string& line) {
    if (file == nullptr) {
        return false;
    }
    std::fseek(file, 0, SEEK_END);
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
    return true;
}

std::string FormatLine(const char* sourcePath, const char* function, int line,
                       std::string_view message) {
    const detail::LogTime t = detail::LocalTimeNow();
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    const char* base = BaseName(sourcePath);
    const char* func = function != nullptr ? function : "";
    // Sized exactly: the fixed text, the 23-character time, the longest line
    // number, the names and the message.
    std::string out;
    out.reserve(64 + std::strlen(base) + std::strlen(func) + message.size());
    out += "[TIME:";
    out += time;
    out += "] | FILE:";
    out += base;
    out += '-';
    out += func;
    out += "-(";
    out += std::to_string(line);
    out += ") | OUT:";
    out += message;
    out += '\n';
    return out;
}

}  // namespace

namespace {

// Keeps the thread's last system error as it was before the log call: the
// writer's own folder creation and file calls set it, and error lines that
// come next report the error of the caller's failed call, not the log's.
class LastErrorKeeper {
  public:
    LastErrorKeeper() : m_saved(LastSystemError()) {}
    ~LastErrorKeeper() { SetLastSystemError(m_saved); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

  private:
    uint32_t m_saved;
};

}  // namespace

int WriteLogLine(int level, const std::wstring& dir, const char* sourcePath, const char* function,
                 int line, std::string_view message) {
    const LastErrorKeeper keeper;
    std::lock_guard<std::mutex> lock(LogMutex());
    if (g_bFirstLog) {
        g_bFirstLog = false;
        if (PathExists(g_wstrLogFile)) {
            detail::MoveNoReplace(g_wstrLogFile, g_wstrLogFileOld);
        }
    }
    const std::string text = FormatLine(sourcePath, function, line, message);
    const std::wstring folder = dir.empty() ? detail::ProgramDirectory() : dir;
    if (!folder.empty()) {
        detail::MakeOneDirectory(folder);
    }
    if (!AppendLine(detail::OpenAppendW(g_wstrLogFile), text)) {
        return -2;
    }
    if (level == 2 && g_bErrorLogEnabled) {
        AppendLine(detail::OpenAppendA(g_strErrorLogFile), text);
    }
    return 0;
}

std::string detail::WideMessageToUtf8(const std::wstring& message) {
    return WideToUtf8(message);
}

std::string QualifiedFunctionName(const char* pretty) {
    if (pretty == nullptr) {
        return {};
    }
    const std::string s(pretty);
    // The parameter list starts at the first '(' outside template brackets;
    // the name runs back from it to the blank that ends the return type.
    int depth = 0;
    size_t open = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            --depth;
        } else if (c == '(' && depth == 0) {
            // "operator()" keeps its own parentheses.
            if (i >= 8 && s.compare(i - 8, 8, "operator") == 0 && i + 1 < s.size() &&
                s[i + 1] == ')') {
                ++i;
                continue;
            }
            open = i;
            break;
        }
    }
    if (open == std::string::npos) {
        return s;
    }
    size_t start = 0;
    depth = 0;
    for (size_t i = open; i-- > 0;) {
        const char c = s[i];
        if (c == '>') {
            ++depth;
        } else if (c == '<') {
            --depth;
        } else if (c == ' ' && depth == 0) {
            start = i + 1;
            break;
        }
    }
    return s.substr(start, open - start);
}

bool EnableDesktopErrorLog() {
    std::string desktop;
    if (CheckFileA(g_strErrorLogFlagFile) != 0 || !GetDesktopPathA(desktop)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(LogMutex());
    g_strErrorLogFile = desktop + WideToUtf8(PathSeparator()) + g_strErrorLogName;
    g_bErrorLogEnabled = true;
    return true;
}

void ResetLogForTesting(const std::wstring& dir) {
    std::lock_guard<std::mutex> lock(LogMutex());
    g_wstrLogDir = dir + PathSeparator();
    g_wstrLogFile = g_wstrLogDir + L"Tavo_installer.log";
    g_wstrLogFileOld = g_wstrLogDir + L"Tavo_installer_old.log";
    g_bFirstLog = true;
    g_bErrorLogEnabled = false;
    g_strErrorLogFile.clear();
}

void SetErrorLogFlagFileForTesting(const std::string& path) {
    std::lock_guard<std::mutex> lock(LogMutex());
    g_strErrorLogFlagFile = path;
}

}  // namespace Utils
