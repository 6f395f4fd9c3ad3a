// The report and the edition request against the development service: the
// request documents parsed back field by field with their header order, the
// log tail, and every way an answer can be judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/device_fingerprint.h"
#include "services/pipeline_config.h"
#include "services/service_api.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/fileversion.h"

using TestSupport::LogCapture;
using TestSupport::TestService;

namespace {

constexpr const char* kReportPath = "/browser/c/boostrap/report";
constexpr const char* kEditionPath = "/browser/c/boostrap/getEdition";

DeviceInfo Device() {
    DeviceInfo d;
    d.mainboardId = L"MB-1";
    d.cpuId = L"BFEBFBFF000906EA";
    d.biosId = L"BIOS-1";
    d.diskId = L"DISK-1";
    d.memoryId = L"MEM-1";
    d.osName = L"Windows 10 专业版";
    d.osVersion = L"10.0";
    d.macAddress = L"00-11-22-33-44-55";
    d.is64Bit = true;
    return d;
}

// The ids of the queued faults, in order.
std::vector<std::string> FaultIds() {
    std::vector<std::string> ids;
    for (const Utils::FaultInfo& f : Utils::PendingFaults()) {
        ids.push_back(f.strErrorId);
    }
    return ids;
}

class ServiceApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        ParseCommandLine({L"TavoInstaller", L"--test"});
        Utils::ClearPendingFaultsForTesting();
    }
    void TearDown() override {
        ParseCommandLine({L"TavoInstaller"});
        Utils::ClearPendingFaultsForTesting();
        doWorkTotalTime = 0;
        downloadVersionTime = 0;
        excuteVersionTime = 0;
    }

    std::string ReportUrl() const { return service_.BaseUrl() + kReportPath; }
    std::string EditionUrl() const { return service_.BaseUrl() + kEditionPath; }

    // The one request the service got at `path`, its body parsed.
    nlohmann::json OnlyBody(const std::string& path,
                            DevService::RecordedRequest* request = nullptr) {
        const auto requests = service_.RequestsTo(path);
        EXPECT_EQ(1u, requests.size());
        if (requests.empty()) {
            return {};
        }
        if (request != nullptr) {
            *request = requests.front();
        }
        return nlohmann::json::parse(requests.front().body, nullptr, false);
    }

    LogCapture log_;
    TestService service_;
};

TEST_F(ServiceApiTest, StartReportDocumentAndHeaders) {
    ASSERT_TRUE(TestSupport::WriteBytes(Utils::g_wstrLogFileOld, "the last run\xFF\n"));
    const DeviceInfo d = Device();
    EXPECT_EQ(0, Services::UploadCountInfo(ReportUrl(), d, L"UUID-1", 1, 77, L""));

    DevService::RecordedRequest request;
    const nlohmann::json body = OnlyBody(kReportPath, &request);
    EXPECT_EQ("POST", request.method);
    // The header text lists User-Agent first (the HTTP layer logs it whole;
    // on the wire the library orders headers by name).
    EXPECT_EQ(1u, log_.Count("OUT:INFO:\nUser-Agent: Vezez\nContent-Type: application/json\n"))
        << log_.Text();
    EXPECT_EQ(1, std::count_if(request.headers.begin(), request.headers.end(),
                               [](const auto& h) { return h.first == "Content-Type"; }))
        << "sent once";
    EXPECT_EQ("Vezez", request.Header("User-Agent"));
    EXPECT_EQ("application/json", request.Header("Content-Type"));

    const nlohmann::json expected = {
        {"type", "1"},
        {"uuid", "UUID-1"},
        {"exeName", Utils::WideToUtf8(Utils::GetSelfName())},
        {"version", Utils::WideToUtf8(Utils::GetSelfVersion())},
        {"appVersion", ""},
        {"ins", "1"},
        {"os", "Windows 10 专业版"},
        {"channel", "beta"},
        {"mainboardId", "MB-1"},
        {"macAddr", "00-11-22-33-44-55"},
        {"cpuId", "BFEBFBFF000906EA"},
        {"biosId", "BIOS-1"},
        {"diskId", "DISK-1"},
        {"memoryId", "MEM-1"},
        {"installPath", Utils::WideToUtf8(GetInstallDir())},
        {"statusCode", 0},
        {"coreVer", "10.0"},
        {"errLog", "the last run\xEF\xBF\xBD\n"},
    };
    EXPECT_EQ(expected, body) << request.body;
    EXPECT_FALSE(TestSupport::Exists(Utils::g_wstrLogFileOld))
        << "the previous run's log goes once it was delivered";
}

TEST_F(ServiceApiTest, FinalReportCarriesStatusTimingsAndThisRunsLog) {
    ParseCommandLine({L"TavoInstaller"});
    doWorkTotalTime = 4321;
    downloadVersionTime = 1234;
    excuteVersionTime = -5;
    DeviceInfo d = Device();
    d.is64Bit = false;
    LOG_INFO("a line of this run");
    EXPECT_EQ(0, Services::UploadCountInfo(ReportUrl(), d, L"UUID-2", 0, -1, L"1.2.3.4"));
    const nlohmann::json body = OnlyBody(kReportPath);
    EXPECT_EQ("0", body.value("type", "?"));
    EXPECT_EQ("release", body.value("channel", "?"));
    EXPECT_EQ("0", body.value("ins", "?"));
    EXPECT_EQ("1.2.3.4", body.value("appVersion", "?"));
    EXPECT_EQ(-1, body.value("statusCode", 0));
    EXPECT_EQ(4321, body.value("doWorkTotalTime", 0));
    EXPECT_EQ(1234, body.value("downloadVersionTime", 0));
    EXPECT_EQ(-5, body.value("excuteVersionTime", 0));
    EXPECT_NE(std::string::npos, body.value("errLog", "").find("OUT:INFO:a line of this run"));
    EXPECT_FALSE(TestSupport::Exists(Utils::g_wstrLogFile)) << "this run's log was delivered";
}

TEST_F(ServiceApiTest, LogTailIsTheLast51200BytesUnchanged) {
    const struct {
        size_t size;
        bool sent;
        const char* why;
    } cases[] = {
        {51200, true, "exactly 51200 bytes: whole"},
        {51201, true, "one more: the first byte is dropped"},
        {0, true, "an empty log is sent empty"},
        {1, false, "no log file: no errLog key"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(service_.ResetRequests());
        if (c.sent) {
            std::string log(c.size, 'a');
            if (!log.empty()) {
                log.front() = 'X';
            }
            ASSERT_TRUE(TestSupport::WriteBytes(Utils::g_wstrLogFileOld, log));
        }
        EXPECT_EQ(0, Services::UploadCountInfo(ReportUrl(), Device(), L"U", 1, 0, L"")) << c.why;
        const nlohmann::json body = OnlyBody(kReportPath);
        ASSERT_EQ(c.sent, body.contains("errLog")) << c.why;
        if (c.sent) {
            const std::string tail = body["errLog"];
            EXPECT_EQ(std::min<size_t>(c.size, 51200), tail.size()) << c.why;
            EXPECT_EQ(c.size == 51200 ? 1u : 0u, std::count(tail.begin(), tail.end(), 'X'))
                << c.why;
        }
    }
}

TEST_F(ServiceApiTest, RefusedReportKeepsTheLog) {
    const struct {
        const char* scenario;
        int expected;
        std::vector<std::string> faults;
        const char* why;
    } cases[] = {
        {R"({"report":{"answer":"refuse","code":5}})", 1007, {"services-5"}, "refused"},
        {R"({"report":{"status":500}})", 1008, {}, "HTTP status 500: the POST failed"},
        {R"({"report":{"failFirst":1,"failWith":"close"}})", 1008, {}, "connection closed"},
        {R"({"report":{"answer":"html"}})", 1004, {"services-3"}, "no JSON"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        ASSERT_TRUE(TestSupport::WriteBytes(Utils::g_wstrLogFileOld, "kept"));
        EXPECT_EQ(c.expected, Services::UploadCountInfo(ReportUrl(), Device(), L"U", 1, 0, L""))
            << c.why;
        EXPECT_EQ(c.faults, FaultIds()) << c.why;
        EXPECT_TRUE(TestSupport::Exists(Utils::g_wstrLogFileOld)) << c.why;
    }
}

TEST_F(ServiceApiTest, EditionRequestDocumentAndHeaders) {
    std::string install, config;
    std::wstring bookmark, favicon, importRule, topSites;
    ASSERT_EQ(0, Services::RequestDownloadUrl(EditionUrl(), Device(), install, config, bookmark,
                                              favicon, importRule, topSites));
    DevService::RecordedRequest request;
    const nlohmann::json body = OnlyBody(kEditionPath, &request);
    EXPECT_EQ(1u, log_.Count("OUT:INFO:\nContent-Type: application/json\nUser-Agent: Vezez\n"))
        << "the edition request's header text lists Content-Type first";
    EXPECT_EQ("Vezez", request.Header("User-Agent"));
    EXPECT_EQ("application/json", request.Header("Content-Type"));
    const nlohmann::json expected = {
        {"ins", 1},
        {"system", "Windows 10 专业版"},
        {"type", 0},
        {"exeName", Utils::WideToUtf8(Utils::GetSelfName())},
        {"version", Utils::WideToUtf8(Utils::GetSelfVersion())},
        {"coreVer", "10.0"},
        {"config", "config.ini"},
        {"fileList", {"Bookmarks", "Favicons", "ImportRule.ini", "TopSites.ini"}},
    };
    EXPECT_EQ(expected, body) << request.body;
    EXPECT_EQ(service_.BaseUrl() + "/files/TavoSetup.exe", install);
    EXPECT_EQ(service_.BaseUrl() + "/files/config.ini", config);
}

TEST_F(ServiceApiTest, EditionAnswers) {
    const std::string base = service_.BaseUrl();
    const struct {
        const char* scenario;
        int expected;
        std::vector<std::string> faults;
        bool config;      // configUrl set
        bool extraFiles;  // the four wide URLs set
        const char* why;
    } cases[] = {
        {"{}", 0, {}, true, false, "the installer and the config URL"},
        {R"({"edition":{"extraFiles":true}})", 0, {}, true, true, "with the four file URLs"},
        {R"({"edition":{"config":"data"}})",
         0,
         {},
         false,
         false,
         "\"config\" inside \"data\" only: no config download"},
        {R"({"edition":{"answer":"no-data"}})", 1003, {"services-6"}, false, false, "no data"},
        {R"({"edition":{"answer":"data-no-path"}})",
         1006,
         {"services-7"},
         false,
         false,
         "data without installDownpath"},
        {R"({"edition":{"answer":"raw","body":"{\"code\":0,\"data\":{\"installDownpath\":7}}"}})",
         1006,
         {"services-7"},
         false,
         false,
         "an installer URL that is no string"},
        {R"({"edition":{"answer":"refuse","code":5,"msg":null}})",
         1007,
         {"services-5"},
         false,
         false,
         "refused"},
        {R"({"edition":{"answer":"empty"}})", 1003, {"services-2"}, false, false, "empty"},
        {R"({"edition":{"answer":"array"}})", 1006, {"services-4"}, false, false, "an array"},
        {R"({"edition":{"status":404}})", 1013, {}, false, false, "HTTP 404: the POST failed"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        std::string install = "keep", config;
        std::wstring bookmark = L"keep", favicon, importRule, topSites;
        EXPECT_EQ(c.expected, Services::RequestDownloadUrl(EditionUrl(), Device(), install, config,
                                                           bookmark, favicon, importRule, topSites))
            << c.why;
        EXPECT_EQ(c.faults, FaultIds()) << c.why;
        EXPECT_EQ(c.expected == 0 ? base + "/files/TavoSetup.exe" : "keep", install) << c.why;
        EXPECT_EQ(c.config ? base + "/files/config.ini" : "", config) << c.why;
        EXPECT_EQ(c.extraFiles ? Utils::Utf8ToWide(base + "/files/Bookmarks") : L"keep", bookmark)
            << c.why;
        EXPECT_EQ(c.extraFiles ? Utils::Utf8ToWide(base + "/files/TopSites.ini") : L"", topSites)
            << c.why;
    }
}

// What the edition answer says about the downloads: read when well formed
// (either case, absent or null meaning unknown), a bad answer otherwise.
TEST_F(ServiceApiTest, EditionDigests) {
    // The development service's default installer (1 MiB generated) and
    // config.ini.
    const std::string installer =
        "8ecdfebe665d327f6784f7eac385cfb65099d1af47bd0ab7e352e3ab069c8802";
    const std::string config = "61f45d33e37f4e4b52a1f0bf5471f22d2ee8168c78b8a99c3b973ac5b7aaf3eb";
    std::string upper = installer;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const struct {
        std::string scenario;
        int expected;
        std::string installerSha256;
        int64_t installerSize;
        std::string configSha256;
        const char* why;
    } cases[] = {
        {"{}", 0, installer, 1048576, config, "computed from the served files"},
        {R"({"installer":{"announceSha256":")" + upper + R"("}})", 0, installer, 1048576, config,
         "upper case is read in lower case"},
        {R"({"installer":{"announceSha256":false,"announceSize":false},)"
         R"("config":{"announceSha256":false}})",
         0, "", -1, "", "left out: unknown"},
        {R"({"installer":{"announceSha256":null,"announceSize":null},)"
         R"("config":{"announceSha256":null}})",
         0, "", -1, "", "null: unknown"},
        {R"({"installer":{"announceSize":0}})", 0, installer, 0, config, "an empty file"},
        {R"({"installer":{"announceSha256":"abc"}})", 1006, "-", -2, "-", "too short"},
        {R"({"installer":{"announceSha256":")" + std::string(64, 'g') + R"("}})", 1006, "-", -2,
         "-", "not hexadecimal"},
        {R"({"installer":{"announceSha256":5}})", 1006, "-", -2, "-", "a number"},
        {R"({"installer":{"announceSize":-1}})", 1006, "-", -2, "-", "a negative size"},
        {R"({"installer":{"announceSize":"12"}})", 1006, "-", -2, "-", "a size in a string"},
        {R"({"installer":{"announceSize":1.5}})", 1006, "-", -2, "-", "a fractional size"},
        {R"({"installer":{"announceSize":{}}})", 1006, "-", -2, "-", "a size that is an object"},
        {R"({"config":{"announceSha256":"xyz"}})", 1006, "-", -2, "-", "a bad configSha256"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        ASSERT_TRUE(service_.SetScenario(c.scenario)) << service_.error();
        std::string install = "keep", configUrl;
        std::wstring bookmark, favicon, importRule, topSites;
        DownloadDigests digests;
        digests.installer = {"-", -2};
        digests.config = {"-", -2};
        EXPECT_EQ(c.expected,
                  Services::RequestDownloadUrl(EditionUrl(), Device(), install, configUrl, bookmark,
                                               favicon, importRule, topSites, digests))
            << c.why;
        EXPECT_EQ(c.installerSha256, digests.installer.sha256) << c.why;
        EXPECT_EQ(c.installerSize, digests.installer.size) << c.why;
        EXPECT_EQ(c.configSha256, digests.config.sha256) << c.why;
        EXPECT_EQ(c.expected == 0 ? -1 : -2, digests.config.size) << c.why;
        if (c.expected != 0) {
            EXPECT_EQ("keep", install) << c.why << ": a bad answer sets nothing";
            EXPECT_EQ(std::vector<std::string>{"services-9"}, FaultIds()) << c.why;
        } else {
            EXPECT_TRUE(FaultIds().empty()) << c.why;
        }
    }
}

TEST(HandleResult, JudgesTheEnvelope) {
    const struct {
        const char* answer;
        int expected;
        const char* fault;  // "" when none is queued
        const char* msg;    // the document's "msg" afterwards, "" to skip
        const char* why;
    } cases[] = {
        {"", 1003, "services-2", "Empty data", "empty"},
        {"<html>oops</html>", 1004, "services-3", "Server response message error", "HTML"},
        {"[1,2]", 1006, "services-4", "The server response message is missing the <code> parameter",
         "an array"},
        {R"({"msg":"x"})", 1006, "services-4",
         "The server response message is missing the <code> parameter", "no code"},
        {R"({"code":0})", 0, "", "", "accepted without msg"},
        {R"({"code":0.9})", 0, "", "", "a fraction truncates to 0"},
        {R"({"code":4294967296})", 0, "", "", "only the low 32 bits count"},
        {R"({"code":5})", 1007, "services-5",
         "The server response message is missing the <msg> parameter,and the error code is 5",
         "refused without msg"},
        {R"({"code":-2,"msg":"busy"})", 1007, "services-5", "busy", "refused with msg"},
        {R"({"code":true})", 1007, "services-5", "", "true counts as 1"},
        {R"({"code":"0"})", 1007, "services-5", "", "a code that is no number is no acceptance"},
        {R"({"code":1e300})", 1007, "services-5", "", "out of range: no acceptance"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        LogCapture log;
        nlohmann::json document;
        EXPECT_EQ(c.expected, Services::HandleResult(c.answer, document)) << c.why;
        const auto faults = Utils::PendingFaults();
        if (*c.fault == '\0') {
            EXPECT_TRUE(faults.empty()) << c.why;
        } else {
            ASSERT_EQ(1u, faults.size()) << c.why;
            EXPECT_EQ(c.fault, faults[0].strErrorId) << c.why;
            EXPECT_EQ(900, faults[0].nBugCode) << c.why;
            EXPECT_EQ(*c.answer == '\0' ? "Response empty" : c.answer, faults[0].strContent)
                << c.why;
        }
        if (*c.msg != '\0') {
            EXPECT_EQ(c.msg, document.value("msg", "")) << c.why;
        }
        if (c.expected == 1007 && std::string(c.answer) == R"({"code":5})") {
            EXPECT_EQ(1u, log.Count("OUT:ERROR:" + std::string(c.msg) + "\n")) << c.why;
        }
    }
    Utils::ClearPendingFaultsForTesting();
}

}  // namespace
