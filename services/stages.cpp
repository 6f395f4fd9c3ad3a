#include "services/stages.h"

#include <filesystem>
#include <system_error>

#include "services/device_fingerprint.h"
#include "services/main_window_link.h"
#include "services/notify.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/disk.h"

namespace {

constexpr int kDownloadUnavailable = 0x2000 + 1;

void LaunchUnavailable(const LaunchRequest&) {
    LOG_ERROR("the full installer cannot be launched by this build");
    NotifyStatus(L"安装程序遇到错误", -1);
    if (MainWindowLink* window = GetMainWindow()) {
        window->Shared().m_iStatusCode = -1;
    }
}

}  // namespace

PipelineStages DefaultStages() {
    PipelineStages stages;
    stages.getDeviceInfo = Services::GetDeviceInfo;
    stages.createUuid = Services::CreateUUID;
    stages.uploadCountInfo = [](const std::string&, const DeviceInfo&, const std::wstring&, uint8_t,
                                int32_t, std::wstring) {
        LOG_INFO("Services::UploadCountInfo");
        return 1008;
    };
    stages.requestDownloadUrl = [](const std::string&, const DeviceInfo&, std::string&,
                                   std::string&, std::wstring&, std::wstring&, std::wstring&,
                                   std::wstring&) {
        LOG_INFO("Services::RequestDownloadUrl");
        return 1013;
    };
    stages.chooseInstallRoot = [] { return std::wstring(); };
    stages.downloadFile = [](const std::string&, const std::wstring&, std::wstring&) {
        LOG_INFO("Services::DownloadFile");
        return kDownloadUnavailable;
    };
    stages.excuteVersion = LaunchUnavailable;
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
