// The device fingerprint and the installation UUID that every request to the
// service carries, and the folder of an installed browser.
//
// Threads: the worker calls these at the start of the pipeline; the window's
// thread may call them again for the final report, possibly while the worker
// still runs. The fingerprint is gathered once per process under a lock.
#pragma once

#include <cstdint>
#include <string>

#include "services/device_info.h"

namespace Services {

// Fills `device` from the process-wide fingerprint, gathering it on the first
// call (the later calls query nothing). An OS version that cannot be read is
// "6.1"; an OS name that cannot be read is "Windows Default " + the version.
// Always returns 0.
int GetDeviceInfo(DeviceInfo& device);

// The installation UUID: the "guid" string of the installed browser's
// config.ini when it holds a non-empty one (used unchanged), else derived
// from the fingerprint and the machine identifier as HMAC-MD5 with an empty
// key, 32 upper-case hexadecimal digits (the same on every run on the same
// machine). Returns 0 with `uuid` set, or 1002 with `uuid` unchanged when the
// digest cannot be computed.
int CreateUUID(std::wstring& uuid);

}  // namespace Services

// The installed browser's folder: the "UninstallString" of HKEY_CURRENT_USER
// Software\Tavo without its quotes and arguments and without its last three
// components; else (no value, or too short a path to leave a folder) the
// local application data folder followed by Tavo and Application; "" when
// neither is known.
std::wstring GetInstallDir();

// The sources of the fingerprint and of the UUID's fallbacks. Production
// uses the system's; tests put in their own.
struct FingerprintSources {
    int (*getMainboardUUID)(std::wstring&);
    int (*getCpuID2)(std::wstring&);
    int (*getBiosID)(std::wstring&);
    int (*getDiskID)(std::wstring&);
    int (*getMemoryID)(std::wstring&);
    int (*getOSFullName)(std::wstring&);
    int (*getOSVersion)(std::wstring&);
    int (*getMac)(std::wstring&);
    int (*getOSBits)();
    int (*getMachineSID)(std::wstring&);
    bool (*randomUuid)(std::wstring&);
    uint32_t (*tickCount)();
};

FingerprintSources SystemFingerprintSources();

// Test seams: use `sources` (nullptr: the system's) from the next gathering
// on, and forget the gathered fingerprint so the next call gathers again.
// Not while another thread gathers.
void SetFingerprintSourcesForTesting(const FingerprintSources* sources);
void ResetDeviceInfoCacheForTesting();
