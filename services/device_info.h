// The device fingerprint record that the requests to the service carry.
#pragma once

#include <string>

struct DeviceInfo {
    std::wstring mainboardId;
    std::wstring cpuId;
    std::wstring biosId;
    std::wstring diskId;
    std::wstring memoryId;
    std::wstring osName;     // "os" of the report, "system" of the edition request
    std::wstring osVersion;  // "coreVer"
    std::wstring macAddress;
    bool is64Bit = false;
};
