#include <windows.h>

#include <cwchar>
#include <new>

#include "utils/log/log.h"
#include "utils/system/fileversion.h"

namespace Utils {

namespace {
// "\StringFileInfo\xxxxxxxx\" takes 25 characters, the terminator one more.
constexpr size_t kSubBlockCapacity = 128;
constexpr size_t kMaxKeyLength = kSubBlockCapacity - 26;
}  // namespace

bool QueryValue(const std::wstring& key, const std::wstring& file, std::wstring& out) {
    LOG_ENTRY();
    if (key.empty() || file.empty()) {
        return false;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) {
        return false;
    }
    BYTE* block = new (std::nothrow) BYTE[size];
    if (block == nullptr) {
        return false;
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(file.c_str(), handle, size, block) ||
        !VerQueryValueW(block, L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        translation == nullptr || length < sizeof(Translation)) {
        delete[] block;
        return false;
    }
    wchar_t* subBlock = new (std::nothrow) wchar_t[kSubBlockCapacity]();
    if (subBlock == nullptr) {
        delete[] block;
        return false;
    }
    const unsigned long id =
        (static_cast<unsigned long>(translation->language) << 16) | translation->codePage;
    // A key without room in the sub-block path is never found: a cut path
    // could name another value.
    const int n = key.size() <= kMaxKeyLength
                      ? std::swprintf(subBlock, kSubBlockCapacity, L"\\StringFileInfo\\%08lx\\%ls",
                                      id, key.c_str())
                      : -1;
    wchar_t* value = nullptr;
    UINT valueLength = 0;
    if (n > 0 && VerQueryValueW(block, subBlock, reinterpret_cast<void**>(&value), &valueLength) &&
        value != nullptr) {
        out.assign(value, wcsnlen(value, valueLength));
    }
    delete[] subBlock;
    delete[] block;
    return true;
}

std::wstring GetSelfPath() {
    // The module that holds this very code, so the answer is right also when
    // the code sits in a DLL.
    MEMORY_BASIC_INFORMATION info{};
    HMODULE module = nullptr;
    if (VirtualQuery(reinterpret_cast<const void*>(&GetSelfPath), &info, sizeof info) != 0) {
        module = static_cast<HMODULE>(info.AllocationBase);
    }
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(module, buffer, MAX_PATH);
    return buffer;
}

}  // namespace Utils
