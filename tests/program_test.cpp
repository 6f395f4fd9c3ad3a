// The program end to end against the development service: TavoInstaller
// runs the pipeline on its worker, the headless front end shows the failed
// launch (not built yet), closes as with the Close button, and the window's
// exit sequence sends the final report and ends the process with 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/process.h"

namespace {

constexpr const char* kReportPath = "/browser/c/boostrap/report";

TEST(Program, RunsThePipelineAgainstTheServiceAndEndsWithZero) {
    TestSupport::TestService service;
    ASSERT_TRUE(service.ok()) << service.error();
    TestSupport::TempDir tmp;
    const TestSupport::ScopedEnv logFolder("TMP", Utils::WideToUtf8(tmp.path()));
    const TestSupport::ScopedEnv base("TAVO_TEST_BASE_URL", service.BaseUrl());
    const TestSupport::ScopedEnv headless("TAVO_HEADLESS", "1");
    const std::wstring program = TestSupport::SiblingProgram(L"TavoInstaller");
    EXPECT_EQ(0, Utils::ExecutExeAtNewProcess(program, L"TavoInstaller --test"));

    std::vector<std::string> endpoints;
    for (const auto& r : service.Requests()) {
        endpoints.push_back(r.endpoint);
    }
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "installer", "config", "report"}),
              endpoints);
    const auto reports = service.RequestsTo(kReportPath);
    ASSERT_EQ(2u, reports.size());
    const nlohmann::json start = nlohmann::json::parse(reports[0].body, nullptr, false);
    const nlohmann::json end = nlohmann::json::parse(reports[1].body, nullptr, false);
    EXPECT_EQ("1", start.value("type", "?"));
    EXPECT_EQ("beta", start.value("channel", "?"));
    EXPECT_EQ("0", end.value("type", "?"));
    EXPECT_EQ(-1, end.value("statusCode", 0)) << "the launch is not built yet";
    EXPECT_TRUE(end.contains("doWorkTotalTime"));
    EXPECT_GT(end.value("downloadVersionTime", -1), -1);
    const std::string uuid = start.value("uuid", "");
    EXPECT_EQ(32u, uuid.size());
    EXPECT_EQ(uuid, end.value("uuid", "")) << "one UUID for the whole run";

    const std::string log = TestSupport::ReadBytes(tmp.Child(L"Tavo_installer.log"));
    EXPECT_EQ(std::string::npos, log.find("Timestamp doWork begin"))
        << "the final report carried this run's log and removed it; only later lines remain";
    EXPECT_NE(std::string::npos, end.value("errLog", "").find("Timestamp doWork begin"));
    EXPECT_NE(std::string::npos,
              end.value("errLog", "").find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonClose"))
        << "the error state was closed unattended";
}

TEST(Program, CarriesItsVersion) {
    std::wstring version;
    ASSERT_TRUE(Utils::GetProductVersion(TestSupport::SiblingProgram(L"TavoInstaller"), version));
    EXPECT_EQ(L"1.0.0.1", version);
}

}  // namespace
