// The registry store where this program and the full installer meet:
// HKEY_CURRENT_USER\<subKey> (in practice Software\Tavo).
//   Windows: the registry itself, 32-bit view.
//   Linux:   one JSON file per key,
//            ${XDG_CONFIG_HOME:-~/.config}/tavo/registry/HKEY_CURRENT_USER/<subKey>.json
//            mapping value names to {"type":"REG_SZ","data":"..."} or
//            {"type":"REG_DWORD","data":N}, replaced atomically on every set.
//            A key exists when its file does: key paths compare as file names
//            (case matters), and a subkey's file does not make its parent key.
//            A file that is no JSON object is never overwritten (13).
// Results are system error codes: 0 success, 2 key or value missing, 5 access
// denied, 6 the key object is not open, 13 data not of the asked type (Linux:
// also a damaged key file), 234 value longer than the buffer.
// A key object belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Utils {

inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;
inline constexpr long kRegAccessDenied = 5;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegInvalidData = 13;
inline constexpr long kRegMoreData = 234;

class RegistryKey {
  public:
    RegistryKey();
    ~RegistryKey();
    // A moved-from key is left closed, and may be opened again.
    RegistryKey(RegistryKey&&);
    RegistryKey& operator=(RegistryKey&&) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing key for querying values (KEY_QUERY_VALUE), for
    // reading (KEY_READ) or for setting values (KEY_SET_VALUE); CreateForSet
    // also creates it (the full installer's side). 32-bit view except
    // OpenForRead, as the callers ask.
    long OpenForQuery(const std::wstring& subKey);
    long OpenForRead(const std::wstring& subKey);
    long OpenForSet(const std::wstring& subKey);
    long CreateForSet(const std::wstring& subKey);
    bool IsOpen() const;
    void Close();

    // A string value (REG_SZ) no longer than `maxBytes` as UTF-16 with its
    // terminator; `out` is written only on success.
    long QueryString(const std::wstring& name, std::wstring& out, size_t maxBytes = 2048) const;
    // A REG_DWORD value; `out` is written only on success.
    long QueryDword(const std::wstring& name, uint32_t& out) const;
    long SetString(const std::wstring& name, const std::wstring& value);
    long SetDword(const std::wstring& name, uint32_t value);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// Deletes HKEY_CURRENT_USER\<subKey> with its values; 0 or 2 when missing.
long DeleteRegistryKey(const std::wstring& subKey);

// Test seam: keys are opened below `root` instead of HKEY_CURRENT_USER
// (Windows: a subkey path of HKEY_CURRENT_USER; Linux: a folder replacing
// .../tavo/registry/HKEY_CURRENT_USER). An empty root restores the default.
void SetRegistryRootForTesting(const std::wstring& root);

}  // namespace Utils
