// Linux only: where the system layer reads its /etc, /proc and /sys inputs.
// Tests point it at a fixture tree; production reads the real root.
#pragma once

#include <string>

namespace Utils::posix {

// `absolute` (such as "/proc/self/mountinfo") below the current root.
std::string SystemPath(const std::string& absolute);

// Test seam: "" restores the real root. Set before the code under test runs.
void SetSystemRootForTesting(const std::string& root);

}  // namespace Utils::posix
