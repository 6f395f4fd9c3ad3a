// Version values of files and the program's own path and name.
// Stateless; any thread may call them.
#pragma once

#include <string>

namespace Utils {

// Reads string value `key` of the version resource of `file` (Windows: the
// first translation's string table; Linux: the ".tavo_version" ELF section
// that this project's executables carry). Returns true when the file has
// version information (whether or not `key` was found); `out` is written only
// when the value is found. Windows: a key of more than 102 characters is
// never found (the sub-block path holds 128 characters).
bool QueryValue(const std::wstring& key, const std::wstring& file, std::wstring& out);

// QueryValue with "FileVersion" / "ProductVersion".
bool GetFileVersion(const std::wstring& file, std::wstring& out);
bool GetProductVersion(const std::wstring& file, std::wstring& out);

// The product version of the program's own file, or "".
std::wstring GetSelfVersion();

// Full path of the program's own file ("" on failure), and its file name.
std::wstring GetSelfPath();
std::wstring GetSelfName();

}  // namespace Utils
