#include <windows.h>

#include <cwchar>
#include <mutex>
#include <vector>

#include "utils/system/registry.h"

namespace Utils {

struct RegistryKey::Impl {
    HKEY key = nullptr;
};

namespace {

std::mutex g_rootMutex;
std::wstring g_root;  // guarded by g_rootMutex

std::wstring FullSubKey(const std::wstring& subKey) {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    return g_root.empty() ? subKey : g_root + L"\\" + subKey;
}

}  // namespace

RegistryKey::RegistryKey() : impl_(std::make_unique<Impl>()) {}
RegistryKey::~RegistryKey() {
    Close();
}
RegistryKey::RegistryKey(RegistryKey&& other) : RegistryKey() {
    std::swap(impl_, other.impl_);
}
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        std::swap(impl_, other.impl_);
    }
    return *this;
}

static long OpenWith(RegistryKey::Impl& impl, const std::wstring& subKey, REGSAM access) {
    if (impl.key != nullptr) {
        RegCloseKey(impl.key);
        impl.key = nullptr;
    }
    return RegOpenKeyExW(HKEY_CURRENT_USER, FullSubKey(subKey).c_str(), 0, access, &impl.key);
}

long RegistryKey::OpenForQuery(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, KEY_QUERY_VALUE | KEY_WOW64_32KEY);
}

long RegistryKey::OpenForRead(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, KEY_READ);
}

long RegistryKey::OpenForSet(const std::wstring& subKey) {
    return OpenWith(*impl_, subKey, KEY_SET_VALUE | KEY_WOW64_32KEY);
}

long RegistryKey::CreateForSet(const std::wstring& subKey) {
    Close();
    return RegCreateKeyExW(HKEY_CURRENT_USER, FullSubKey(subKey).c_str(), 0, nullptr, 0,
                           KEY_SET_VALUE | KEY_QUERY_VALUE | KEY_WOW64_32KEY, nullptr, &impl_->key,
                           nullptr);
}

bool RegistryKey::IsOpen() const {
    return impl_->key != nullptr;
}

void RegistryKey::Close() {
    if (IsOpen()) {
        RegCloseKey(impl_->key);
        impl_->key = nullptr;
    }
}

namespace {

// The type of value `name`, asked before its data: a value of another type
// is 13 whatever its size (RegQueryValueExW alone would report 234 for a
// long string read into a DWORD).
long ValueType(HKEY key, const std::wstring& name, DWORD& type) {
    return RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, nullptr);
}

}  // namespace

long RegistryKey::QueryString(const std::wstring& name, std::wstring& out, size_t maxBytes) const {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    DWORD type = 0;
    long rc = ValueType(impl_->key, name, type);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return kRegInvalidData;
    }
    std::vector<BYTE> buffer(maxBytes + sizeof(wchar_t), 0);
    DWORD size = static_cast<DWORD>(maxBytes);
    rc = RegQueryValueExW(impl_->key, name.c_str(), nullptr, &type, buffer.data(), &size);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return kRegInvalidData;  // replaced by another type in between
    }
    const auto* text = reinterpret_cast<const wchar_t*>(buffer.data());
    out.assign(text, wcsnlen(text, size / sizeof(wchar_t)));
    return kRegOk;
}

long RegistryKey::QueryDword(const std::wstring& name, uint32_t& out) const {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    DWORD type = 0;
    long rc = ValueType(impl_->key, name, type);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (type != REG_DWORD) {
        return kRegInvalidData;
    }
    DWORD value = 0;
    DWORD size = sizeof value;
    rc = RegQueryValueExW(impl_->key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                          &size);
    if (rc == ERROR_MORE_DATA) {
        return kRegInvalidData;  // a REG_DWORD of the wrong size is no DWORD
    }
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (type != REG_DWORD || size != sizeof value) {
        return kRegInvalidData;
    }
    out = value;
    return kRegOk;
}

long RegistryKey::SetString(const std::wstring& name, const std::wstring& value) {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    return RegSetValueExW(impl_->key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

long RegistryKey::SetDword(const std::wstring& name, uint32_t value) {
    if (!IsOpen()) {
        return kRegInvalidHandle;
    }
    const DWORD data = value;
    return RegSetValueExW(impl_->key, name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data);
}

long DeleteRegistryKey(const std::wstring& subKey) {
    const std::wstring full = FullSubKey(subKey);
    HKEY key = nullptr;
    long rc = RegOpenKeyExW(
        HKEY_CURRENT_USER, full.c_str(), 0,
        KEY_WOW64_32KEY | DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    return RegDeleteKeyExW(HKEY_CURRENT_USER, full.c_str(), KEY_WOW64_32KEY, 0);
}

void SetRegistryRootForTesting(const std::wstring& root) {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    g_root = root;
}

}  // namespace Utils
