// Windows tests: a command line as Windows itself splits it.
#pragma once

#include <string>
#include <vector>

namespace TestSupport {

// The words CommandLineToArgvW makes of `line`; empty when it fails.
std::vector<std::wstring> SystemSplit(const std::wstring& line);

}  // namespace TestSupport
