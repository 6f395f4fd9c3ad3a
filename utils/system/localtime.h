// Thread-safe conversion of a calendar time to local time.
#pragma once

#include <ctime>

namespace Utils {

// localtime_s on Windows, localtime_r on Linux.
void ToLocalTime(std::time_t time, std::tm& out);

}  // namespace Utils
