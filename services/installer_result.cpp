#include "services/installer_result.h"

#include <cstdint>

#include "services/deployment.h"
#include "services/pipeline_config.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/hwinfo.h"
#include "utils/system/identity.h"
#include "utils/system/registry.h"

namespace {

// A registry call returns its error instead of leaving it as the thread's
// last error: make it the last error, so that the error line reports it.
std::string ErrorText(long code) {
    Utils::SetLastSystemError(static_cast<uint32_t>(code));
    return Utils::SystemErrorToStringA(Utils::LastSystemError());
}

}  // namespace

namespace Services {

std::wstring GetInstallerResultUIString() {
    LOG_ENTRY();
    Utils::RegistryKey key;
    const long opened = key.OpenForRead(L"Software\\Tavo");
    if (opened != Utils::kRegOk) {
        LOG_ERROR("Failed to open key:", "HKEY_CURRENT_USER", "\\Software\\", "Tavo", "\n",
                  ErrorText(opened));
        return {};
    }
    uint32_t result = 0;
    const long queried = key.QueryDword(L"InstallerResult", result);
    if (queried != Utils::kRegOk) {
        LOG_ERROR("Failed to query value:InstallerResult", "\n", ErrorText(queried));
        return {};
    }
    if (result == 0) {
        return {};
    }
    LOG_INFO("InstallerResult:", std::to_string(result));
    std::wstring text;
    const long read = key.QueryString(L"InstallerResultUIString", text, 2048);
    if (read != Utils::kRegOk) {
        LOG_ERROR("Failed to query value:InstallerResultUIString", "\n", ErrorText(read));
        return {};
    }
    LOGW_INFO(L"InstallerResultUIString:", text);
    return text;
}

}  // namespace Services

std::wstring HelpUrl(bool release, const std::wstring& osName, const std::wstring& osVersion,
                     int osBits) {
    const char* site =
        release ? Services::Deployment::kHelpSiteUrl : Services::Deployment::kTestHelpSiteUrl;
    return Utils::Utf8ToWide(site) + L"/help/?sourceType=2" + L"&comSystem=" + osName +
           L"&coreVer=" + osVersion + L"&comBit=" + (osBits == 64 ? L"1" : L"0");
}

std::wstring BuildHelpUrl() {
    std::wstring osName;
    std::wstring osVersion;
    Utils::GetOSFullName(osName);
    Utils::GetOSVersion(osVersion);
    return HelpUrl(releaseMode, osName, osVersion, Utils::GetOSBits());
}
