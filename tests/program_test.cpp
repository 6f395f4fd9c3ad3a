// The program end to end: TavoInstaller runs the pipeline on its worker,
// the headless front end shows the failure, closes as with the Close button,
// and the window's exit sequence ends the process with 0.
#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/process.h"

namespace {

TEST(Program, RunsThePipelineAndEndsWithZero) {
    TestSupport::TempDir tmp;
    const TestSupport::ScopedEnv logFolder("TMP", Utils::WideToUtf8(tmp.path()));
    const TestSupport::ScopedEnv service("TAVO_TEST_BASE_URL", "http://127.0.0.1:9");
    const TestSupport::ScopedEnv headless("TAVO_HEADLESS", "1");
    const std::wstring program = TestSupport::SiblingProgram(L"TavoInstaller");
    const int code = Utils::ExecutExeAtNewProcess(program, L"TavoInstaller --test");
    EXPECT_EQ(0, code);
    const std::string log = TestSupport::ReadBytes(tmp.Child(L"Tavo_installer.log"));
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:releaseMode:0")) << log;
    EXPECT_NE(std::string::npos, log.find("service:http://127.0.0.1:9")) << log;
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:Timestamp doWork begin ")) << log;
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:Timestamp doWork end ")) << log;
    // The fingerprint and the UUID are taken; with no service the report runs
    // its three passes and the edition request its ten, with their pauses.
    EXPECT_NE(std::string::npos, log.find("OUT:INFO:Timestamp CreateUUID end ")) << log;
    EXPECT_NE(std::string::npos, log.find("UploadCountInfo failed, will retry. Sleep 1500")) << log;
    EXPECT_NE(std::string::npos, log.find(" at 10 times.")) << log;
    EXPECT_NE(std::string::npos, log.find("RequestDownloadUrl failed, will retry. Sleep 23000"))
        << log;
    // The error state is closed unattended and the exit sequence reports.
    const size_t waits = log.find("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:1013");
    const size_t closes = log.find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonClose");
    const size_t ends = log.find("OUT:INFO:status code:1013");
    EXPECT_NE(std::string::npos, waits) << log;
    EXPECT_NE(std::string::npos, ends) << log;
    EXPECT_LT(waits, closes) << log;
    EXPECT_LT(closes, ends) << log;
}

TEST(Program, CarriesItsVersion) {
    std::wstring version;
    ASSERT_TRUE(Utils::GetProductVersion(TestSupport::SiblingProgram(L"TavoInstaller"), version));
    EXPECT_EQ(L"1.0.0.1", version);
}

}  // namespace
