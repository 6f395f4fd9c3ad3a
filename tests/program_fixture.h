// The fixture of the end-to-end tests: TavoInstaller runs headless against
// the development service, which hands out the fake full installer of the
// same platform (tools/fake-full-installer); the installer's whole run is
// checked from outside: the service's request record, the fake's record of
// its command line, the files left behind and the process exit code.
//
// The program is a child process: everything it must not take from the real
// user (TMP, the XDG folders on Linux, the folder the fake installs into) is
// pointed at this test's folders through its environment. Under Wine the
// registry store is the prefix's HKEY_CURRENT_USER: Software\Tavo is removed
// before and after each test. One test thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/fileutil.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/process.h"
#include "utils/system/registry.h"

namespace ProgramTests {

using TestSupport::ScopedEnv;
using TestSupport::TempDir;

inline constexpr const char* kReportPath = "/browser/c/boostrap/report";
inline constexpr const char* kFaultPath = "/browser/c/fault";
inline constexpr const char* kFakeVersion = "2.5.0.7";

inline nlohmann::json Parse(const std::string& text) {
    return nlohmann::json::parse(text, nullptr, false);
}

// The JSON lines of a file, those of `role` only.
inline std::vector<nlohmann::json> Lines(const std::wstring& file, const std::string& role) {
    std::vector<nlohmann::json> lines;
    const std::string text = TestSupport::ReadBytes(file);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const nlohmann::json line = Parse(text.substr(start, end - start));
        if (line.is_object() && line.value("role", "") == role) {
            lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        Utils::DeleteRegistryKey(L"Software\\Tavo");
    }
    void TearDown() override { Utils::DeleteRegistryKey(L"Software\\Tavo"); }

    // Runs "TavoInstaller --test" once. The service serves the fake full
    // installer and behaves as `scenario` (merged into that); the fake does
    // what `fakeScenario` asks. Returns the process exit code; afterwards
    // requests_, start_, end_ and runs_ hold what happened.
    int Install(const std::string& scenario, const std::string& fakeScenario) {
        // Every run starts from an empty record, registry key and fake record.
        EXPECT_TRUE(service_.ResetRequests()) << service_.error();
        Utils::DeleteRegistryKey(L"Software\\Tavo");
        std::error_code ignored;
        std::filesystem::remove(Utils::NativePath(record_), ignored);
        nlohmann::json s = {
            {"installer", {{"path", TestSupport::TestService::ServicePath(fake_)}}}};
        s.merge_patch(Parse(scenario));
        EXPECT_TRUE(service_.SetScenario(s.dump())) << service_.error();
        const ScopedEnv fakeEnv("TAVO_FAKE_INSTALLER_SCENARIO", fakeScenario);
        const int code = Utils::ExecutExeAtNewProcess(TestSupport::SiblingProgram(program_),
                                                      program_ + L" --test");
        requests_ = service_.Requests();
        const auto reports = service_.RequestsTo(kReportPath);
        start_ = reports.size() >= 1 ? Parse(reports.front().body) : nlohmann::json();
        end_ = reports.size() >= 2 ? Parse(reports.back().body) : nlohmann::json();
        runs_ = Lines(record_, "installer");
        return code;
    }

    std::vector<std::string> Endpoints() const {
        std::vector<std::string> endpoints;
        for (const auto& r : requests_) {
            endpoints.push_back(r.endpoint);
        }
        return endpoints;
    }

    std::vector<std::string> FaultIds() const {
        std::vector<std::string> ids;
        for (const auto& r : requests_) {
            if (r.path == kFaultPath) {
                const std::string content = Parse(r.body).value("bugContent", "");
                ids.push_back(content.substr(0, content.find(' ')));
            }
        }
        return ids;
    }

    std::string RunLog() const { return end_.value("errLog", ""); }
    bool Logged(const std::string& text) const { return RunLog().find(text) != std::string::npos; }

    // Files named like the downloaded installer (the last part of its URL)
    // anywhere in the temporary folder.
    std::vector<std::string> LeftInstallers() const {
        std::string name;
        for (const auto& r : requests_) {
            if (r.endpoint == "installer") {
                name = r.path.substr(r.path.rfind('/') + 1);
            }
        }
        EXPECT_FALSE(name.empty()) << "the installer was downloaded";
        std::vector<std::string> left;
        std::error_code ec;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(Utils::NativePath(tmp_.path()), ec)) {
            if (entry.path().filename().u8string() == name) {
                left.push_back(entry.path().u8string());
            }
        }
        return left;
    }

    // The checks every run that reached the full installer shares: one start
    // report and one final report with the same uuid, the fake's command
    // line, and no installer file left behind.
    void ExpectHandOver(size_t runs, const std::vector<std::string>& faults = {}) {
        EXPECT_EQ(faults, FaultIds()) << "the faults queued on the way, posted at the end";
        EXPECT_EQ("1", start_.value("type", "?"));
        EXPECT_EQ("beta", start_.value("channel", "?"));
        EXPECT_EQ("0", end_.value("type", "?"));
        const std::string uuid = start_.value("uuid", "");
        EXPECT_EQ(32u, uuid.size());
        EXPECT_EQ(uuid, end_.value("uuid", "")) << "one UUID for the whole run";
        EXPECT_GT(end_.value("doWorkTotalTime", 0), 0);
        EXPECT_GE(end_.value("downloadVersionTime", -1), 0);
        ASSERT_EQ(runs, runs_.size());
        const std::vector<std::string> argv = runs_[0]["argv"].get<std::vector<std::string>>();
        ASSERT_EQ(6u, argv.size()) << runs_[0].dump();
        EXPECT_EQ("--from-tavo-setup", argv[0]);
        EXPECT_EQ("--verbose-logging", argv[1]);
        EXPECT_EQ("--uuid=" + uuid, argv[2]);
        EXPECT_EQ(0u, argv[3].rfind("--config-path=", 0));
        EXPECT_TRUE(TestSupport::Exists(Utils::Utf8ToWide(argv[3].substr(14))))
            << "the configuration file stays for the full installer";
        EXPECT_EQ("--test", argv[4]);
        EXPECT_EQ(0u, argv[5].rfind("--yindaohwnd=", 0));
        EXPECT_GT(std::stoll(argv[5].substr(13)), 0) << "a window handle or process id";
        if (runs_[0].contains("commandLine")) {  // Windows: the line as it was given
            EXPECT_EQ(0u, runs_[0]["commandLine"].get<std::string>().rfind(
                              "--from-tavo-setup --verbose-logging  --uuid=" + uuid + " ", 0));
        }
        EXPECT_TRUE(LeftInstallers().empty()) << LeftInstallers().front();
        EXPECT_TRUE(Logged("OUT:INFO:Timestamp ExcuteVersion begin ")) << RunLog();
    }

    TestSupport::TestService service_;
    // The program under test, and the full installer the service hands out.
    std::wstring program_ = L"TavoInstaller";
    std::wstring fake_ = TestSupport::SiblingProgram(L"tavo-fake-full-installer");
    TempDir tmp_;      // TMP: the log and the downloads
    TempDir home_;     // Linux: home and XDG folders
    TempDir appData_;  // where the fake installs
    TempDir records_;
    const std::wstring record_ = records_.Child(L"fake-runs.jsonl");
    const std::string home = Utils::WideToUtf8(home_.path());
    // Each run has a runtime folder of its own: the single-instance lock of
    // one test's installer must not turn another test's away.
    const ScopedEnv env_[11] = {
        {"TMP", Utils::WideToUtf8(tmp_.path())},
        {"HOME", home},
        {"XDG_RUNTIME_DIR", home},
        {"XDG_CONFIG_HOME", home + "/config"},
        {"XDG_STATE_HOME", home + "/state"},
        {"XDG_DATA_HOME", Utils::WideToUtf8(appData_.path())},
        {"TAVO_FAKE_INSTALLER_APPDATA", Utils::WideToUtf8(appData_.path())},
        {"TAVO_FAKE_INSTALLER_RECORD", Utils::WideToUtf8(record_)},
        {"TAVO_FAKE_INSTALLER_REGISTRY_ROOT", ScopedEnv::Unset{}},
        {"TAVO_TEST_BASE_URL", service_.BaseUrl()},
        {"TAVO_HEADLESS", "1"},
    };
    std::vector<DevService::RecordedRequest> requests_;
    nlohmann::json start_, end_;
    std::vector<nlohmann::json> runs_;
};

}  // namespace ProgramTests
