// The processor identifier of x86 processors (Windows and Linux alike): the
// compiler's CPUID intrinsic, leaf 1.
#include <cpuid.h>

#include <cwchar>

#include "utils/system/hwinfo.h"

namespace Utils {

std::wstring CpuIdentifierText() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid_count(1, 0, eax, ebx, ecx, edx);
    // EDX (feature flags) first, then EAX (stepping, model, family).
    wchar_t buffer[32] = {};
    std::swprintf(buffer, 32, L"%08X%08X", edx, eax);
    return buffer;
}

}  // namespace Utils
