// Identity helpers: local time text, random UUID text, the machine's
// identifier, OS bitness, the local application data folder. Stateless; any
// thread may call them.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// The current local time formatted with strftime's `format`; "" when the text
// would take 256 bytes or more.
std::string TimeGet(std::string format);

// 32 hexadecimal digits of a new random GUID, formatted
// "%08X%04X%04x%02X..." (the third field in lower case). Returns true with
// `out` set; false (logged) with `out` untouched.
bool RandomUuid(std::wstring& out);

// The GUID text of the fields above; shared by both platforms.
std::wstring FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]);

// The machine's identifier text: on Windows the SID of the account named like
// the computer; on Linux the contents of /etc/machine-id. Returns 0 with
// `out` set; 20 when the name (Linux: the file) cannot be read; 21 when its
// lookup fails (Linux: the file, empty included, holds no valid identifier:
// 32 lower-case hexadecimal digits). `out` is written only on success.
int GetMachineSID(std::wstring& out);

// 64 for an x64 (or Itanium) operating system, else 32, ARM64 included.
int GetOSBits();

// The local application data folder: CSIDL_LOCAL_APPDATA on Windows,
// $XDG_DATA_HOME or ~/.local/share on Linux. True with `out` set.
bool GetLocalAppDataPath(std::wstring& out);

}  // namespace Utils
