#include <windows.h>

#include "views/png_resources.h"

bool FindPngResource(int id, const unsigned char*& data, size_t& size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (info == nullptr) {
        return false;
    }
    const DWORD bytes = SizeofResource(module, info);
    const HGLOBAL loaded = LoadResource(module, info);
    const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (locked == nullptr || bytes == 0) {
        return false;
    }
    // A module's resources stay mapped as long as the module is loaded.
    data = static_cast<const unsigned char*>(locked);
    size = bytes;
    return true;
}
