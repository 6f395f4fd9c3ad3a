#include "utils/system/identity.h"

#include <cwchar>
#include <ctime>

#include "utils/log/log.h"
#include "utils/system/localtime.h"

namespace Utils {

std::string TimeGet(std::string format) {
    LOG_ENTRY();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ToLocalTime(now, local);
    char buffer[256] = {};
    // The format is the caller's by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
#pragma GCC diagnostic pop
    // A text that does not fit leaves the buffer's contents undefined (glibc
    // leaves a cut text there): none of it is used.
    return std::string(buffer, n);
}

std::wstring FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3,
                            const uint8_t data4[8]) {
    wchar_t buffer[64] = {};
    std::swprintf(buffer, 64, L"%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", data1, data2, data3,
                  data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return buffer;
}

}  // namespace Utils
