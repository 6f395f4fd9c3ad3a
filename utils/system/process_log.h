// Internal to the process launchers: their one error line.
#pragma once

#include <string>

#include "utils/log/log.h"

namespace Utils::detail {

// Logs "CreateProcessA failed, strExe:<program>,strArgv:<arguments>", a line
// break and the text of the thread's last system error, as an error line of
// the given call site (source file, qualified function name, line). The
// pieces are joined first, so an empty program or argument text cannot end
// the line before the error text.
void LogProcessStartFailure(const char* sourcePath, const char* function, int line,
                            const std::wstring& program, const std::wstring& arguments);

}  // namespace Utils::detail

// The error line of a failed start, naming the launcher that calls it (its
// file, function and line), not this helper: the log tail travels to the
// service, and its reader looks for the launcher.
#define TAVO_LOG_PROCESS_START_FAILURE(program, arguments)                                \
    ::Utils::detail::LogProcessStartFailure(__FILE__, TAVO_LOG_FUNCTION_NAME(), __LINE__, \
                                            (program), (arguments))
