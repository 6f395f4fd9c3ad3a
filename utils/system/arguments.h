// The process's own command line as a wide argument vector.
#pragma once

#include <string>
#include <vector>

namespace Utils {

// argv of this process, argv[0] (the program) first. Windows: the command
// line split by CommandLineToArgvW; Linux: /proc/self/cmdline, UTF-8 decoded.
// Empty when it cannot be read. Any thread.
std::vector<std::wstring> GetProcessArguments();

}  // namespace Utils
