// The program end to end (tests/program_fixture.h): a whole run for each
// way the service, the download and the full installer can go.
#include "tests/program_fixture.h"

namespace {

using namespace ProgramTests;
using TestSupport::ScopedEnv;

TEST_F(ProgramTest, Success) {
    EXPECT_EQ(0, Install("{}", R"({"exit":0})"));
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "installer", "config", "report"}),
              Endpoints());
    ExpectHandOver(1);
    EXPECT_EQ(0, end_.value("statusCode", -99));
    EXPECT_EQ(kFakeVersion, end_.value("appVersion", ""));
    EXPECT_GT(end_.value("excuteVersionTime", 0), 0);
    EXPECT_TRUE(Logged("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:0")) << RunLog();
    const std::string log = TestSupport::ReadBytes(tmp_.Child(L"Tavo_installer.log"));
    EXPECT_EQ(std::string::npos, log.find("Timestamp doWork begin"))
        << "the final report carried this run's log and removed it; only later lines remain";
}

TEST_F(ProgramTest, EditionRequestFailsTwiceThenSucceeds) {
    EXPECT_EQ(0, Install(R"({"edition":{"failFirst":2}})", R"({"exit":0})"));
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "edition", "edition", "installer",
                                        "config", "report"}),
              Endpoints());
    EXPECT_EQ("500 fail 1/2", requests_[1].answer);
    ExpectHandOver(1);
    EXPECT_EQ(0, end_.value("statusCode", -99)) << "the launch's success replaces 1013";
    EXPECT_TRUE(Logged("OUT:ERROR:RequestDownloadUrl failed, will retry. Sleep 1000"));
}

TEST_F(ProgramTest, InstallerDownloadDroppedOnce) {
    EXPECT_EQ(0, Install(R"({"installer":{"failFirst":1,"failWith":"close"}})", R"({"exit":0})"));
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "installer", "installer", "config",
                                        "report"}),
              Endpoints());
    EXPECT_EQ("close fail 1/1", requests_[2].answer);
    ExpectHandOver(1);
    EXPECT_EQ(0, end_.value("statusCode", -99)) << "the launch's success replaces 1014";
    EXPECT_TRUE(Logged("OUT:ERROR:DownloadFile failed, will retry. Sleep 500"));
}

TEST_F(ProgramTest, FullInstallerNotStartedOnceRunsAgainAndItsFaultIsPosted) {
    EXPECT_EQ(0, Install("{}", R"({"failFirst":1,"exit":0})"));
    EXPECT_EQ(
        (std::vector<std::string>{"report", "edition", "installer", "config", "report", "fault"}),
        Endpoints());
    ExpectHandOver(2, {"system-1"});
    EXPECT_EQ(0, end_.value("statusCode", -99));
    EXPECT_TRUE(Logged("OUT:INFO:iRet == -1, try to ExecutExeAtNewProcess again. Sleep 1000"));
    EXPECT_TRUE(Logged("OUT:INFO:ExcuteVersion for begin ")) << RunLog();
}

TEST_F(ProgramTest, HigherVersionInstalledOpensItsBrowserAndEndsByItself) {
    EXPECT_EQ(0, Install("{}", R"({"exit":4})"));
    ExpectHandOver(1);
    EXPECT_EQ(4, end_.value("statusCode", -99)) << "the report still says what happened";
    EXPECT_EQ(kFakeVersion, end_.value("appVersion", "")) << "the installed browser's version";
    EXPECT_GT(end_.value("excuteVersionTime", 0), 0);
    EXPECT_TRUE(Logged("OUT:INFO:succeed to open higher version exe.")) << RunLog();
    EXPECT_TRUE(Logged("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:4"));
    EXPECT_FALSE(Logged("CVorlinInstallerDlg::OnBnClickedButtonClose"))
        << "nothing waited for the user: the window closed itself";
    // Nothing waits for the browser: wait for its record here (a generous
    // bound against a hang, not a time limit).
    for (int i = 0; i < 3000 && Lines(record_, "browser").empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(1u, Lines(record_, "browser").size()) << "Tavo.exe was started";
}

TEST_F(ProgramTest, FullInstallerFailsWithItsOwnText) {
    EXPECT_EQ(0, Install("{}", R"({"exit":7,"resultText":"磁盘空间不足，请清理后重试"})"));
    ExpectHandOver(1);
    EXPECT_EQ(7, end_.value("statusCode", -99));
    EXPECT_EQ("", end_.value("appVersion", "?"));
    EXPECT_EQ(0, end_.value("excuteVersionTime", -1));
    EXPECT_TRUE(Logged("OUT:INFO:InstallerResultUIString:磁盘空间不足，请清理后重试")) << RunLog();
    EXPECT_TRUE(Logged("OUT:ERROR:goto CLEAN_UP iRet:7"));
    EXPECT_TRUE(Logged("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonClose"))
        << "the error view was closed unattended";
}

TEST_F(ProgramTest, FullInstallerSendsTheStopRequest) {
    // The request is sent first; the second that follows gives the window
    // time to take it before the run ends.
    EXPECT_EQ(0, Install("{}", R"({"stop":true,"hangSeconds":1,"exit":0})"));
    ExpectHandOver(1);
    EXPECT_TRUE(runs_[0].value("stopSent", false)) << runs_[0].dump();
    EXPECT_EQ(0, end_.value("statusCode", -99)) << "the installer finished its work";
    EXPECT_TRUE(Logged("OUT:INFO:m_bHasExited:1,m_bNeedExit:1,m_iStatusCode:0")) << RunLog();
}

TEST(Program, CarriesItsVersion) {
    std::wstring version;
    ASSERT_TRUE(Utils::GetProductVersion(TestSupport::SiblingProgram(L"TavoInstaller"), version));
    EXPECT_EQ(L"1.0.0.1", version);
}

}  // namespace
