#include <windows.h>

#include "utils/system/held_file.h"

namespace Utils {

HeldFile::~HeldFile() {
    Release();
}

bool HeldFile::Open(const std::wstring& path) {
    Release();
    // Read sharing only: a later writer, a rename or a delete fails while
    // this handle lives; CreateProcessW, which only reads the image, does not.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle_ = reinterpret_cast<std::uintptr_t>(file);
    return true;
}

void HeldFile::Release() {
    if (handle_ != kNone) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = kNone;
    }
}

}  // namespace Utils
