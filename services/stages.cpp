#include "services/stages.h"

#include <filesystem>
#include <system_error>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/disk.h"
#include "utils/system/identity.h"

namespace {

constexpr int kDownloadUnavailable = 0x2000 + 1;

int DeviceInfoOfFailedQueries(DeviceInfo& device) {
    LOG_INFO("Services::GetDeviceInfo");
    device = DeviceInfo{};
    device.osVersion = L"6.1";
    device.osName = L"Windows Default " + device.osVersion;
    device.is64Bit = Utils::GetOSBits() == 64;
    return 0;
}

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
    stages.getDeviceInfo = DeviceInfoOfFailedQueries;
    stages.createUuid = [](std::wstring&) {
        LOG_INFO("Services::CreateUUID");
        return 1002;
    };
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
