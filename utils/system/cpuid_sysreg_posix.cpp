// The processor identifier on Linux for processors without CPUID: the main
// identification register the kernel exports (MIDR_EL1 on ARM), as 16
// upper-case hexadecimal digits. Empty when the kernel does not export it.
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>

#include "utils/system/hwinfo.h"
#include "utils/system/sysroot_posix.h"

namespace Utils {

std::wstring CpuIdentifierText() {
    std::ifstream in(
        posix::SystemPath("/sys/devices/system/cpu/cpu0/regs/identification/midr_el1"));
    std::string text;
    if (!std::getline(in, text)) {
        return {};
    }
    unsigned long long value = 0;
    if (std::sscanf(text.c_str(), "%llx", &value) != 1) {
        return {};
    }
    wchar_t buffer[32] = {};
    std::swprintf(buffer, 32, L"%016llX", value);
    return buffer;
}

}  // namespace Utils
