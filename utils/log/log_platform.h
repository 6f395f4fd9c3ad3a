// Platform services of the log writer, implemented in log_win.cpp and
// log_posix.cpp. Internal to the log library.
#pragma once

#include <cstdio>
#include <string>

namespace Utils::detail {

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// The local time of the call, to the millisecond.
LogTime LocalTimeNow();

// The default log folder with its separator: "TMP\" on Windows; TMP, else
// TMPDIR, else /tmp, followed by "/" on Linux.
std::wstring DefaultLogDir();

// The program's own folder with its trailing separator, or empty.
std::wstring ProgramDirectory();

// Creates one directory level; the result is deliberately not reported.
void MakeOneDirectory(const std::wstring& dir);

// Opens a file in text append mode ("a+"): by wide path, or by narrow path
// (the error copy). Returns null on failure; the caller closes the file.
FILE* OpenAppendW(const std::wstring& path);
FILE* OpenAppendA(const std::string& path);

// Renames `from` to `to` without replacing an existing `to`. Failures are
// the caller's to ignore.
void MoveNoReplace(const std::wstring& from, const std::wstring& to);

// The error copy's flag file: "C:\vorlinDesktopErrorLogFlag.debug" on
// Windows, "/vorlinDesktopErrorLogFlag.debug" on Linux.
std::string DefaultErrorLogFlagFile();

}  // namespace Utils::detail
