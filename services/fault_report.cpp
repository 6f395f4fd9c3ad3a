#include "services/fault_report.h"

#include <nlohmann/json.hpp>

#include "services/main_window_link.h"
#include "services/pipeline_config.h"
#include "utils/http/http.h"
#include "utils/json/jsonutils.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/identity.h"

namespace Services {

namespace {

// Time-out of each fault post, for connecting, sending and receiving alike.
constexpr int kFaultPostTimeoutSeconds = 2;

// The version the service expects in fault reports, whatever this program's
// own version is.
constexpr const char* kFaultReportVersion = "1.1.1.2";

std::string MainWindowUuid() {
    const MainWindowLink* window = GetMainWindow();
    return window != nullptr ? Utils::WideToUtf8(window->Shared().Uuid()) : std::string();
}

}  // namespace

std::string BuildFaultBody(const Utils::FaultInfo& fault) {
    nlohmann::json body = nlohmann::json::object();
    body["bugCode"] = fault.nBugCode;
    body["bugContent"] = fault.strErrorId + " " + fault.strContent;
    body["bugLevel"] = 0;
    body["bugTime"] = Utils::TimeGet("%Y-%m-%d %H:%M:%S");
    body["comBit"] = Utils::GetOSBits() == 64 ? 1 : 0;
    body["comSystem"] = "";
    body["coreVer"] = "";
    body["infoDisk"] = "";
    body["infoMemory"] = "";
    body["installpath"] = Utils::WideToUtf8(Utils::GetSelfPath());
    body["onlyKey"] = MainWindowUuid();
    body["token"] = "";
    body["version"] = kFaultReportVersion;
    std::string text;
    Utils::JsonStringify(body, text);
    return text;
}

std::string FaultHeaders() {
    std::string headers = Utils::HttpAddHeader("", std::string("User-Agent: ") + "Vezez");
    return Utils::HttpAddHeader(headers, "Content-Type: application/json");
}

void SendFaultReport(const Utils::FaultInfo& fault) {
    const std::string body = BuildFaultBody(fault);
    const std::string headers = FaultHeaders();
    for (const std::string& base : activeBaseUrls) {
        std::string response;
        std::string error;
        if (Utils::HttpPost(kFaultPostTimeoutSeconds, base + kFaultPath, headers, body, response,
                            error) == 0) {
            return;
        }
    }
}

void InstallFaultSender() {
    Utils::SetFaultSender(&SendFaultReport);
}

}  // namespace Services
