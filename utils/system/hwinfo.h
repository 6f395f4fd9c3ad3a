// Hardware and operating-system identifiers for the device fingerprint and
// the help link. Each identifier function clears its output first and leaves
// it either empty or holding exactly one value: the first usable one.
//
// Windows reads them through WMI (ROOT\CIMV2) and the processor's CPUID
// instruction. Linux answers the same WMI classes from the nearest native
// sources (DMI and block devices in /sys, the network interfaces, the kernel
// release, /etc/os-release); see docs/platform.md. Result codes are the WMI
// query's on both platforms:
//   0  the query ran (the value may still be empty: no instance had one)
//   11 COM could not be initialised on the calling thread
//   13 the WMI locator could not be created
//   14 the connection to the namespace failed
//   15 the security blanket could not be set
//   16 the query failed (Linux: its source exists but cannot be read, or the
//      class or property has no source)
// Stateless; any thread may call them. Each WMI query initialises COM in the
// multithreaded model for its own duration, so a thread already bound to the
// single-threaded model gets 11.
#pragma once

#include <string>
#include <vector>

namespace Utils {

inline constexpr int kWmiOk = 0;
inline constexpr int kWmiComInitFailed = 11;
inline constexpr int kWmiLocatorFailed = 13;
inline constexpr int kWmiConnectFailed = 14;
inline constexpr int kWmiBlanketFailed = 15;
inline constexpr int kWmiQueryFailed = 16;

// Runs "SELECT * FROM <className> <filter>" and appends, per instance in the
// order they come, the string value of `property` (of an array of strings,
// its first element; instances without a string add nothing). Returns one of
// the codes above. Does not log.
int GetWmiValue(const std::wstring& className, const std::wstring& property,
                const std::wstring& filter, std::vector<std::wstring>& values);

// The identifiers. Each logs its entry and, on a failed query, an error line
// with the code; returns the query's code with `out` empty, or 0 with the
// first non-empty value (possibly none).
int GetMainboardUUID(std::wstring& out);
int GetBiosID(std::wstring& out);
// The first disk's serial number without characters U+0001 to U+0020; a
// serial of blanks only ends the search with an empty output.
int GetDiskID(std::wstring& out);
int GetMemoryID(std::wstring& out);
// First IP address and MAC address ('-' in place of ':') of the first
// IP-enabled adapter that has one.
int GetIP(std::wstring& out);
int GetMac(std::wstring& out);

// 16 upper-case hexadecimal digits: EDX then EAX of CPUID leaf 1 (on a
// processor without CPUID, an equally stable identifier of the same form, or
// empty). Always returns 0.
int GetCpuID2(std::wstring& out);

// "major.minor" of the operating system (10.0, 6.1; Linux: of the kernel
// release), else the version of kernelbase.dll, else empty. Always returns 0.
int GetOSVersion(std::wstring& out);

// The product name of the operating system (the text before the first '|'
// of the WMI name); Linux: PRETTY_NAME of os-release. Returns the query's code.
int GetOSFullName(std::wstring& out);

// The processor's identifier behind GetCpuID2: "%08X%08X" of EDX and EAX of
// CPUID leaf 1 on x86; on other processors an equally stable identifier of
// 16 upper-case hexadecimal digits (Linux on ARM: MIDR_EL1), or "" when none
// can be read. Does not log.
std::wstring CpuIdentifierText();

}  // namespace Utils
