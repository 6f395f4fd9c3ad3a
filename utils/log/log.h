// The log writer: one plain-text file in the user's temporary folder that
// every module appends its trace to. Each call formats one line
//   [TIME:yyyy-mm-dd hh:mm:ss.mmm] | FILE:<source base name>-<function>-(<line>) | OUT:<text>
// opens the file, appends the line in one write and closes it again, so the
// log is complete on disk at every moment. A process-wide lock serialises
// concurrent writers; any thread may log.
#pragma once

#include <string>
#include <string_view>

namespace Utils {

// Process-wide log state, built during static initialisation.
extern std::wstring g_wstrLogDir;          // temporary folder, ends with the separator
extern std::wstring g_wstrLogFile;         // g_wstrLogDir + "Tavo_installer.log"
extern std::wstring g_wstrLogFileOld;      // g_wstrLogDir + "Tavo_installer_old.log"
extern bool g_bFirstLog;                   // the next write renames the previous run's file
extern std::string g_strErrorLogFlagFile;  // presence turns the error copy on
extern std::string g_strErrorLogName;      // "vorlinDesktopError.log"
extern std::string g_strErrorLogFile;      // full path of the error copy once enabled
extern bool g_bErrorLogEnabled;            // level-2 lines also go to g_strErrorLogFile

// The tag every call site passes; the writer does not use it.
inline constexpr const char* kLogTag = "KPLX-ErrMsg-Tavo";

// Formats and appends one line built from `message` to g_wstrLogFile, making
// sure `dir` exists first (an empty `dir` stands for the program's own
// folder). Level 2 lines are copied to the error log when it is enabled.
// Returns 0 when the line was written, -2 when the log file could not be
// opened (nothing is written anywhere then).
int WriteLogLine(int level, const std::wstring& dir, const char* sourcePath, const char* function,
                 int line, std::string_view message);

namespace detail {
// Appends pieces up to (not including) the first null or empty one.
inline bool AppendPiece(std::string& out, const char* piece) {
    if (piece == nullptr || *piece == '\0') {
        return false;
    }
    out += piece;
    return true;
}
inline bool AppendPiece(std::string& out, const std::string& piece) {
    if (piece.empty()) {
        return false;
    }
    out += piece;
    return true;
}
inline bool AppendPiece(std::wstring& out, const wchar_t* piece) {
    if (piece == nullptr || *piece == L'\0') {
        return false;
    }
    out += piece;
    return true;
}
inline bool AppendPiece(std::wstring& out, const std::wstring& piece) {
    if (piece.empty()) {
        return false;
    }
    out += piece;
    return true;
}
template <class Str, class... Pieces>
Str JoinPieces(const Pieces&... pieces) {
    Str out;
    // Short-circuits at the first empty piece: everything after it is dropped.
    (void)(AppendPiece(out, pieces) && ...);
    return out;
}
std::string WideMessageToUtf8(const std::wstring& message);
}  // namespace detail

// The narrow entry point. Pieces are joined without separators up to the
// first empty piece; by convention the first is "INFO:" (level 1) or
// "ERROR:" (level 2) and the list ends with "". Returns WriteLogLine's result.
template <class... Pieces>
int WriteLog(int level, const char* /*tag*/, const std::wstring& dir, const char* sourcePath,
             const char* function, int line, const Pieces&... pieces) {
    return WriteLogLine(level, dir, sourcePath, function, line,
                        detail::JoinPieces<std::string>(pieces...));
}

template <class... Pieces>
int LogA(int level, const char* tag, const std::wstring& dir, const char* sourcePath,
         const char* function, int line, const Pieces&... pieces) {
    const std::string joined = detail::JoinPieces<std::string>(pieces...);
    return WriteLog(level, tag, dir, sourcePath, function, line, joined, "");
}

// The wide entry point: the joined wide text is stored as UTF-8.
template <class... Pieces>
int LogW(int level, const char* tag, const std::wstring& dir, const char* sourcePath,
         const char* function, int line, const Pieces&... pieces) {
    const std::string joined =
        detail::WideMessageToUtf8(detail::JoinPieces<std::wstring>(pieces...));
    return WriteLog(level, tag, dir, sourcePath, function, line, joined, "");
}

// The qualified name of a function from the compiler's pretty signature:
// "void Services::DoWork()" gives "Services::DoWork". Names inside lambdas
// keep their enclosing function's name.
std::string QualifiedFunctionName(const char* prettyFunction);

// Turns the error copy on when the flag file exists and the desktop folder
// can be found: g_strErrorLogFile becomes <desktop><separator>g_strErrorLogName.
// Returns whether the copy is enabled. Nothing turns it off again.
bool EnableDesktopErrorLog();

// Test seam: points the log at `dir` (with its separator appended) and makes
// the next write perform the one-time rename again. Not for production code.
void ResetLogForTesting(const std::wstring& dir);

// Test seam: sets the error copy's flag file (also enabling nothing by itself).
void SetErrorLogFlagFileForTesting(const std::string& path);

// The folder separator of paths on this platform ("\\" or "/").
const wchar_t* PathSeparator();

}  // namespace Utils

// Call-site macros: fill in tag, directory, source file, qualified function
// name and line, and close the piece list with "".
#define TAVO_LOG_FUNCTION_NAME() ::Utils::QualifiedFunctionName(__PRETTY_FUNCTION__).c_str()
#define LOG_INFO(...)                                                                             \
    ::Utils::LogA(1, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, TAVO_LOG_FUNCTION_NAME(), \
                  __LINE__, "INFO:", __VA_ARGS__, "")
#define LOG_ERROR(...)                                                                            \
    ::Utils::LogA(2, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, TAVO_LOG_FUNCTION_NAME(), \
                  __LINE__, "ERROR:", __VA_ARGS__, "")
#define LOGW_INFO(...)                                                                            \
    ::Utils::LogW(1, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, TAVO_LOG_FUNCTION_NAME(), \
                  __LINE__, L"INFO:", __VA_ARGS__, L"")
#define LOGW_ERROR(...)                                                                           \
    ::Utils::LogW(2, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, TAVO_LOG_FUNCTION_NAME(), \
                  __LINE__, L"ERROR:", __VA_ARGS__, L"")
// Entry line of a function: "INFO:" and its own qualified name.
#define LOG_ENTRY() LOG_INFO(TAVO_LOG_FUNCTION_NAME())
