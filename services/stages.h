// The stages that the install driver calls, behind one seam: the driver gets
// a PipelineStages, production passes DefaultStages(), tests pass fakes.
// Every stage runs on the worker thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "services/device_info.h"
#include "utils/http/http.h"

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

// What the edition answer says about the two downloads (each part empty
// when the answer does not say).
struct DownloadDigests {
    Utils::HttpExpectedBody installer;  // "installSha256" and "installSize" of "data"
    Utils::HttpExpectedBody config;     // "configSha256"
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
    // 0 with installUrl set (and each optional URL and digest the answer
    // carries).
    std::function<int(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                      std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                      std::wstring& importRuleUrl, std::wstring& topSitesUrl,
                      DownloadDigests& digests)>
        requestDownloadUrl;
    // A drive root for the downloads and the full installer, or "".
    std::function<std::wstring()> chooseInstallRoot;
    // 0 with `path` set to the downloaded file, which is what `expected`
    // describes; 0x2007 when cancelled through the progress callback; any
    // other value is a failure.
    std::function<int(const std::string& url, const std::wstring& installRoot, std::wstring& path,
                      const Utils::HttpExpectedBody& expected)>
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
