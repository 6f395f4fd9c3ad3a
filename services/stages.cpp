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
    stages.requestDownloadUrl = Services::RequestDownloadUrl;
    stages.chooseInstallRoot = ChooseInstallRoot;
    stages.downloadFile = Services::DownloadFile;
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
