// The stages that the install driver calls, behind one seam: the driver gets
// a PipelineStages, production passes DefaultStages(), tests pass fakes.
// Every stage runs on the worker thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "services/device_info.h"

// What the launch stage is handed (installer, configuration, the optional
// configuration URLs for the full installer, the UUID and the alternative
// install root).
struct LaunchRequest {
    std::wstring installerPath;
    std::wstring configPath;
    std::wstring bookmarkUrl;
    std::wstring faviconUrl;
    std::wstring importRuleUrl;
    std::wstring topSitesUrl;
    std::wstring uuid;
    std::wstring zelInstallPath;
};

struct PipelineStages {
    // Fills the fingerprint; it has no failure result.
    std::function<int(DeviceInfo& device)> getDeviceInfo;
    // 0 with `uuid` filled, or a failure code (1002).
    std::function<int(std::wstring& uuid)> createUuid;
    // 0 when the service accepted the report.
    std::function<int(const std::string& url, const DeviceInfo& device, const std::wstring& uuid,
                      uint8_t type, int32_t statusCode, std::wstring appVersion)>
        uploadCountInfo;
    // 0 with installUrl set (and each optional URL the answer carries).
    std::function<int(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                      std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                      std::wstring& importRuleUrl, std::wstring& topSitesUrl)>
        requestDownloadUrl;
    // A drive root for the downloads and the full installer, or "".
    std::function<std::wstring()> chooseInstallRoot;
    // 0 with `path` set to the downloaded file; 0x2007 when cancelled through
    // the progress callback; any other value is a failure.
    std::function<int(const std::string& url, const std::wstring& installRoot, std::wstring& path)>
        downloadFile;
    // Builds the full installer's command line, runs it and judges the exit
    // code: sets the status code, the app version and the launch time, and
    // posts its texts.
    std::function<void(const LaunchRequest& request)> excuteVersion;
    // Removes the downloaded installer (or schedules it for deletion).
    std::function<void(const std::wstring& installerPath)> removeDownloadedInstaller;
};

// The stages of this build, with the system clock for the pauses of the
// launch.
PipelineStages DefaultStages();

// Deletes the downloaded installer and, when that worked, its folder if it is
// empty; a file that cannot be deleted is scheduled for deletion at the next
// restart. A missing file is left alone.
void RemoveDownloadedInstaller(const std::wstring& installerPath);
