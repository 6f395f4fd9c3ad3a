// Internal to the process launchers: their one error line.
#pragma once

#include <string>

namespace Utils::detail {

// Logs "CreateProcessA failed, strExe:<program>,strArgv:<arguments>", a line
// break and the text of the thread's last system error. The call site's
// pieces are joined first, so an empty program or argument text cannot end
// the line before the error text.
void LogProcessStartFailure(const std::wstring& program, const std::wstring& arguments);

}  // namespace Utils::detail
