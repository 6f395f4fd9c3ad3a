#include "services/service_api.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>

#include "services/device_fingerprint.h"
#include "services/pipeline_config.h"
#include "utils/http/http.h"
#include "utils/json/jsonutils.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/fileversion.h"

namespace {

constexpr int kFaultCode = 900;
constexpr size_t kLogTailBytes = 51200;
constexpr int kRequestTimeoutSeconds = 10;

const char kUserAgentHeader[] = "User-Agent: Vezez";
const char kContentTypeHeader[] = "Content-Type: application/json";

std::string LastError() {
    return Utils::SystemErrorToStringA(Utils::LastSystemError());
}

std::string U8(const std::wstring& text) {
    return Utils::WideToUtf8(text);
}

// The "msg" of an answer as text, or the caller's stand-in when it has none.
std::string MessageOf(const nlohmann::json& document) {
    if (!document.is_object() || !document.contains("msg")) {
        return "No <msg> param";
    }
    const nlohmann::json& msg = document["msg"];
    return msg.is_string() ? msg.get<std::string>() : msg.dump();
}

// The answer's "code" as a signed 32-bit number: an integer by its low 32
// bits, a fraction truncated toward zero, true and false as 1 and 0. Any
// other type is no acceptance: false.
bool CodeOf(const nlohmann::json& code, int32_t& out) {
    if (code.is_number_integer()) {
        out = static_cast<int32_t>(static_cast<uint32_t>(code.get<int64_t>()));
    } else if (code.is_number_float()) {
        const double value = std::trunc(code.get<double>());
        // Out of range and NaN: no acceptance either, but never undefined.
        if (!(value >= std::numeric_limits<int64_t>::min() &&
              value <= std::numeric_limits<int64_t>::max())) {
            return false;
        }
        out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
    } else if (code.is_boolean()) {
        out = code.get<bool>() ? 1 : 0;
    } else {
        return false;
    }
    return true;
}

// An optional URL of the edition answer: copied only when it is a string.
bool OptionalUrl(const nlohmann::json& answer, const char* key, std::string& out) {
    const auto it = answer.find(key);
    if (it == answer.end() || !it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

void OptionalUrl(const nlohmann::json& answer, const char* key, std::wstring& out) {
    std::string url;
    if (OptionalUrl(answer, key, url)) {
        out = Utils::Utf8ToWide(url);
    }
}

// A SHA-256 the answer gives for a download: absent or null leave `out`
// empty; 64 hexadecimal digits go to `out` in lower case; anything else is
// false.
bool ReadSha256(const nlohmann::json& object, const char* key, std::string& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return true;
    }
    if (!it->is_string() || !Utils::IsSha256Text(it->get<std::string>())) {
        return false;
    }
    out = it->get<std::string>();
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return true;
}

// A size the answer gives: absent or null leave `out` at -1; an integer of
// 0 or more (that fits 63 bits) goes to `out`; anything else is false.
bool ReadSize(const nlohmann::json& object, const char* key, int64_t& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return true;
    }
    if (it->is_number_unsigned()) {
        const uint64_t value = it->get<uint64_t>();
        if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return false;
        }
        out = static_cast<int64_t>(value);
        return true;
    }
    if (it->is_number_integer() && it->get<int64_t>() >= 0) {
        out = it->get<int64_t>();
        return true;
    }
    return false;
}

}  // namespace

namespace Services {

int UploadCountInfo(const std::string& url, const DeviceInfo& device, const std::wstring& uuid,
                    uint8_t type, int32_t statusCode, std::wstring appVersion) {
    LOG_ENTRY();
    const bool final = type == 0;
    nlohmann::json report = {
        {"type", std::to_string(type)},
        {"uuid", U8(uuid)},
        {"exeName", U8(Utils::GetSelfName())},
        {"version", U8(Utils::GetSelfVersion())},
        {"appVersion", U8(appVersion)},
        {"ins", device.is64Bit ? "1" : "0"},
        {"os", U8(device.osName)},
        {"channel", releaseMode ? "release" : "beta"},
        {"mainboardId", U8(device.mainboardId)},
        {"macAddr", U8(device.macAddress)},
        {"cpuId", U8(device.cpuId)},
        {"biosId", U8(device.biosId)},
        {"diskId", U8(device.diskId)},
        {"memoryId", U8(device.memoryId)},
        {"installPath", U8(GetInstallDir())},
        {"statusCode", final ? statusCode : 0},
        {"coreVer", U8(device.osVersion)},
    };
    if (final) {
        report["doWorkTotalTime"] = doWorkTotalTime.load();
        report["downloadVersionTime"] = downloadVersionTime.load();
        report["excuteVersionTime"] = excuteVersionTime.load();
    }
    // The end report carries this run's log, the start report the last one's.
    const std::wstring logFile = final ? Utils::g_wstrLogFile : Utils::g_wstrLogFileOld;
    std::string tail;
    if (Utils::CheckFileW(logFile) == 0 && Utils::ReadFileTail(logFile, kLogTailBytes, tail)) {
        report["errLog"] = tail;
    }
    std::string body;
    Utils::JsonStringify(report, body);
    const std::string headers =
        Utils::HttpAddHeader(Utils::HttpAddHeader("", kUserAgentHeader), kContentTypeHeader);

    std::string answer, error;
    if (Utils::HttpPost(kRequestTimeoutSeconds, url, headers, body, answer, error) != 0) {
        LOG_ERROR(error, "\n", LastError());
        return kStatusReportFailed;
    }
    nlohmann::json document;
    const int code = HandleResult(answer, document);
    if (code != 0) {
        LOG_ERROR(MessageOf(document), "\n", LastError());
        return code;
    }
    std::error_code ignored;
    std::filesystem::remove(Utils::NativePath(logFile), ignored);
    return 0;
}

int RequestDownloadUrl(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                       std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                       std::wstring& importRuleUrl, std::wstring& topSitesUrl) {
    DownloadDigests ignored;
    return RequestDownloadUrl(url, device, installUrl, configUrl, bookmarkUrl, faviconUrl,
                              importRuleUrl, topSitesUrl, ignored);
}

int RequestDownloadUrl(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                       std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                       std::wstring& importRuleUrl, std::wstring& topSitesUrl,
                       DownloadDigests& digests) {
    LOG_ENTRY();
    const nlohmann::json request = {
        {"ins", device.is64Bit ? 1 : 0},
        {"system", U8(device.osName)},
        {"type", releaseMode ? 1 : 0},
        {"exeName", U8(Utils::GetSelfName())},
        {"version", U8(Utils::GetSelfVersion())},
        {"coreVer", U8(device.osVersion)},
        {"config", "config.ini"},
        {"fileList", {"Bookmarks", "Favicons", "ImportRule.ini", "TopSites.ini"}},
    };
    std::string body;
    Utils::JsonStringify(request, body);
    const std::string headers =
        Utils::HttpAddHeader(Utils::HttpAddHeader("", kContentTypeHeader), kUserAgentHeader);

    std::string answer, error;
    const int posted = Utils::HttpPost(kRequestTimeoutSeconds, url, headers, body, answer, error);
    if (posted != 0) {
        LOG_ERROR("HttpPost ret:" + std::to_string(posted) + " " + error, "\n", LastError());
        return kStatusEditionFailed;
    }
    nlohmann::json document;
    const int code = HandleResult(answer, document);
    if (code != 0) {
        LOG_ERROR(MessageOf(document), "\n", LastError());
        return code;
    }
    const auto data = document.find("data");
    if (data == document.end()) {
        LOG_ERROR("No <data> param", "\n", LastError());
        Utils::ReportFault("services-6", kFaultCode, answer, false);
        return kStatusEmptyAnswer;
    }
    std::string install;
    if (!data->is_object() || !OptionalUrl(*data, "installDownpath", install)) {
        LOG_ERROR("No <data/installDownpath> param", "\n", LastError());
        Utils::ReportFault("services-7", kFaultCode, answer, false);
        return kStatusMissingField;
    }
    DownloadDigests said;
    const char* bad = !ReadSha256(*data, "installSha256", said.installer.sha256)
                          ? "data/installSha256"
                      : !ReadSize(*data, "installSize", said.installer.size) ? "data/installSize"
                      : !ReadSha256(document, "configSha256", said.config.sha256) ? "configSha256"
                                                                                  : nullptr;
    if (bad != nullptr) {
        LOG_ERROR("Bad <" + std::string(bad) + "> param", "\n", LastError());
        Utils::ReportFault("services-9", kFaultCode, answer, false);
        return kStatusMissingField;
    }
    digests = said;
    installUrl = install;
    OptionalUrl(document, "config", configUrl);
    OptionalUrl(document, "Bookmarks", bookmarkUrl);
    OptionalUrl(document, "Favicons", faviconUrl);
    OptionalUrl(document, "ImportRule.ini", importRuleUrl);
    OptionalUrl(document, "TopSites.ini", topSitesUrl);
    return 0;
}

int HandleResult(const std::string& answer, nlohmann::json& document) {
    LOG_ENTRY();
    LOG_INFO(answer);
    if (answer.empty()) {
        document = {{"msg", "Empty data"}};
        Utils::ReportFault("services-2", kFaultCode, "Response empty", false);
        return kStatusEmptyAnswer;
    }
    document = nlohmann::json::parse(answer, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) {
        LOG_ERROR(Utils::JsonErrorToStringA(-1), "\n", LastError());
        document = {{"msg", "Server response message error"}};
        Utils::ReportFault("services-3", kFaultCode, answer, false);
        return kStatusNotJson;
    }
    const char kMissingCode[] = "The server response message is missing the <code> parameter";
    if (!document.is_object()) {
        document = {{"msg", kMissingCode}};
        Utils::ReportFault("services-4", kFaultCode, answer, false);
        return kStatusMissingField;
    }
    if (!document.contains("code")) {
        document["msg"] = kMissingCode;
        Utils::ReportFault("services-4", kFaultCode, answer, false);
        return kStatusMissingField;
    }
    int32_t code = 0;
    const bool numeric = CodeOf(document["code"], code);
    if (numeric && code == 0) {
        return 0;
    }
    if (!document.contains("msg")) {
        const std::string shown = numeric ? std::to_string(code) : document["code"].dump();
        document["msg"] =
            "The server response message is missing the <msg> parameter,and the error code is " +
            shown;
    }
    LOG_ERROR(MessageOf(document), "\n", LastError());
    Utils::ReportFault("services-5", kFaultCode, answer, false);
    return kStatusRefused;
}

}  // namespace Services
