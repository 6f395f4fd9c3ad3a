// JSON helpers over nlohmann JSON: read a file, serialise compactly, name a
// result code. Stateless; any thread may call them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace Utils {

enum JsonResult {
    JSON_OK = 0,
    JSON_ERROR_UNKNOWN = 1,
    JSON_ERROR_PARSE = 2,
    JSON_ERROR_FILE_OPEN = 3,
    JSON_ERROR_FILE_READ = 4,
    JSON_ERROR_FILE_WRITE = 5,
};

// Parses the whole file at `path` as one JSON text (a UTF-8 byte-order mark
// is skipped; comments and trailing content are refused). Returns 0 with the
// value, or -1 with `out` set to the library's discarded value. Never throws,
// never logs.
int JsonReadFile(const std::wstring& path, nlohmann::json& out);

// Compact text (no blanks), members in byte order of their names, UTF-8 kept
// as is, invalid UTF-8 replaced by U+FFFD. Always returns 0.
int JsonStringify(const nlohmann::json& value, std::string& out);

// The name of a JSON result code; "RSA_ERROR_UNDEFINE" for unknown codes.
std::string JsonErrorToStringA(int code);

}  // namespace Utils
