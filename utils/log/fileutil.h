// File existence tests, the desktop folder and native path forms.
// Stateless; any thread may call them.
#pragma once

#include <filesystem>
#include <string>

namespace Utils {

// Log "INFO:" and their own name, then test the path for existence only.
// Return 0 when the file or directory exists, -1 otherwise.
int CheckFileA(const std::string& path);
int CheckFileW(const std::wstring& path);

// The same test without the log line (used by the log writer itself).
bool PathExists(const std::wstring& path);

// Reads the whole regular file at `path` into `out`. False (with `out`
// empty) when it cannot be opened or read, and for anything that is not a
// regular file, such as a folder.
bool ReadFileBytes(const std::wstring& path, std::string& out);

// Reads the last `maxBytes` bytes of the regular file at `path` (all of it
// when it is not longer), unchanged. False (with `out` empty) when it cannot
// be opened, measured or read.
bool ReadFileTail(const std::wstring& path, size_t maxBytes, std::string& out);

// The current user's desktop folder (narrow: ANSI on Windows, UTF-8 on
// Linux, where it is the XDG desktop folder). Returns true with the folder,
// false with `out` untouched.
bool GetDesktopPathA(std::string& out);

// The native form of a wide path for the C++ library: the wide path itself on
// Windows, its UTF-8 bytes on Linux.
std::filesystem::path NativePath(const std::wstring& path);

}  // namespace Utils
