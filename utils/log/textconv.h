// Text conversions between wide strings (paths, user texts) and narrow
// strings (protocol, JSON, log), and the texts of system error codes.
// Stateless; any thread may call them. Conversions never fail visibly:
// invalid input sequences are substituted and conversion stops at the first
// zero character of the input.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// Wide to UTF-8. An empty input or a failed size query gives "".
std::string WideToUtf8(std::wstring wide);

// UTF-8 to wide; bytes that are not valid UTF-8 become U+FFFD.
std::wstring Utf8ToWide(std::string utf8);

// The system's narrow ("ANSI") code page to wide: code page 0 on Windows,
// the process locale's multibyte encoding on Linux.
std::wstring AnsiToWide(std::string ansi);

// "<code>,<system text>" in UTF-8, the text exactly as the system gives it
// (on Windows with its trailing line break). A code without a system text
// gives "<code>," alone.
std::string SystemErrorToStringA(uint32_t code);
std::wstring SystemErrorToStringW(uint32_t code);

// The calling thread's last system error: GetLastError() on Windows, errno
// on Linux. Error log lines end with its text.
uint32_t LastSystemError();

// Sets the calling thread's last system error (SetLastError / errno), so
// that a refusal made by this program reads like a system failure.
void SetLastSystemError(uint32_t code);

// Two lower-case hexadecimal digits per byte of bytes[0, size).
std::string LowerHex(const unsigned char* bytes, size_t size);

}  // namespace Utils
