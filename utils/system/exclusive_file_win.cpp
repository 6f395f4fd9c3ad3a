#include <windows.h>

#include <climits>

#include "utils/system/exclusive_file.h"

namespace Utils {

namespace {

HANDLE Handle(std::uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

ExclusiveFile::~ExclusiveFile() {
    Close();
}

bool ExclusiveFile::Create(const std::wstring& path) {
    Close();
    // CREATE_NEW fails for anything at the path; a reparse point there is
    // not followed into another folder either.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle_ = reinterpret_cast<std::uintptr_t>(file);
    return true;
}

bool ExclusiveFile::Write(const char* data, size_t size) {
    if (!isOpen()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    while (size > 0) {
        const DWORD piece = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), data, piece, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool ExclusiveFile::Close() {
    if (!isOpen()) {
        return true;
    }
    const HANDLE file = Handle(handle_);
    handle_ = kClosed;
    return CloseHandle(file) != 0;
}

uint32_t DiskFullErrorCode() {
    return ERROR_DISK_FULL;
}

}  // namespace Utils
