// What the window's exit sequence needs from the rest of the program: the
// UUID, the fingerprint, the final report, the fault reports and a pause.
// Production passes DefaultExitServices(); tests pass fakes that record.
//
// Every member is called on the window's (UI) thread, by the exit sequence.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "services/device_info.h"

struct ExitServices {
    // 0 with `uuid` filled, or a failure code.
    std::function<int(std::wstring& uuid)> createUuid;
    // Fills the fingerprint; its result is not tested.
    std::function<int(DeviceInfo& device)> getDeviceInfo;
    // 0 when the service accepted the report (the same call as the worker's
    // start report).
    std::function<int(const std::string& url, const DeviceInfo& device, const std::wstring& uuid,
                      uint8_t type, int32_t statusCode, std::wstring appVersion)>
        uploadCountInfo;
    // Sends the faults queued during the run.
    std::function<void()> flushFaultReports;
    // Pauses the calling thread.
    std::function<void(uint32_t ms)> sleep;
};

// The stages of this build (DefaultStages) for the UUID, the fingerprint and
// the report, the system clock's sleep, and the fault sender.
ExitServices DefaultExitServices();
