#include <windows.h>

#include "utils/system/single_instance.h"

namespace Utils {

bool AcquireSingleInstance(const std::wstring& name) {
    // No initial ownership: the name alone is the claim. The handle is never
    // closed, so the name stays taken until the process ends. Without a
    // handle the rule cannot be checked and this copy runs unprotected.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    return mutex == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace Utils
