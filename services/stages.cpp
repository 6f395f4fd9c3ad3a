#include "services/stages.h"

#include <filesystem>
#include <system_error>

#include "services/device_fingerprint.h"
#include "services/download.h"
#include "services/launch.h"
#include "services/pipeline_clock.h"
#include "services/service_api.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/disk.h"

PipelineStages DefaultStages() {
    PipelineStages stages;
    stages.getDeviceInfo = Services::GetDeviceInfo;
    stages.createUuid = Services::CreateUUID;
    stages.uploadCountInfo = Services::UploadCountInfo;
    stages.requestDownloadUrl =
        [](const std::string& url, const DeviceInfo& device, std::string& installUrl,
           std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
           std::wstring& importRuleUrl, std::wstring& topSitesUrl, DownloadDigests& digests) {
            return Services::RequestDownloadUrl(url, device, installUrl, configUrl, bookmarkUrl,
                                                faviconUrl, importRuleUrl, topSitesUrl, digests);
        };
    stages.chooseInstallRoot = ChooseInstallRoot;
    stages.downloadFile = [](const std::string& url, const std::wstring& installRoot,
                             std::wstring& path, const Utils::HttpExpectedBody& expected) {
        return Services::DownloadFile(url, installRoot, path, expected);
    };
    stages.excuteVersion = [](const LaunchRequest& request) {
        Services::ExcuteVersion(request, SystemClock());
    };
    stages.removeDownloadedInstaller = RemoveDownloadedInstaller;
    return stages;
}

void RemoveDownloadedInstaller(const std::wstring& installerPath) {
    LOG_ENTRY();
    if (!Utils::PathExists(installerPath)) {
        return;
    }
    const std::filesystem::path file = Utils::NativePath(installerPath);
    std::error_code ec;
    if (std::filesystem::remove(file, ec)) {
        // Succeeds only when the folder is empty; its result does not matter.
        std::filesystem::remove(file.parent_path(), ec);
        return;
    }
    Utils::DeleteFileOnReboot(installerPath);
}
