// The install driver against fake stages and a fake clock: the posted
// messages in order, the status code, the pauses and the log lines of each
// scenario.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/services.h"
#include "tests/support/testsupport.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"

namespace {

using TestSupport::TempDir;

const char kInstallerSha256[] = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const char kConfigSha256[] = "fedcba9876543210fedcba9876543210fedcba9876543210fedcba9876543210";

// One received message, payload taken over.
struct Received {
    uint32_t message;
    std::wstring text;  // 1125/1126 text, or the progress text of 1127
    ProgressInfo progress{0, 0, 0};
};

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Utils::SetErrorLogFlagFileForTesting(Utils::WideToUtf8(files_.Child(L"no-flag")));
        ParseCommandLine({L"TavoInstaller", L"--test"});
        SetMainWindow(&queue_);
        doWorkTotalTime = downloadVersionTime = excuteVersionTime = 0;

        clock_.tick = [this] { return now_; };
        clock_.sleep = [this](uint32_t ms) {
            pauses_.push_back(ms);
            now_ += ms;
        };
        // A run where everything works; each test breaks what it needs.
        stages_.getDeviceInfo = [this](DeviceInfo& d) {
            calls_.push_back("device");
            d.osName = L"os";
            return 0;
        };
        stages_.createUuid = [this](std::wstring& uuid) {
            calls_.push_back("uuid");
            uuid = L"UUID";
            return 0;
        };
        stages_.uploadCountInfo = [this](const std::string& url, const DeviceInfo&,
                                         const std::wstring& uuid, uint8_t type, int32_t status,
                                         std::wstring appVersion) {
            calls_.push_back("report " + url);
            EXPECT_EQ(L"UUID", uuid);
            EXPECT_EQ(1, type);
            EXPECT_EQ(0, status);
            EXPECT_TRUE(appVersion.empty());
            return reportResult_(url);
        };
        stages_.requestDownloadUrl = [this](const std::string& url, const DeviceInfo& d,
                                            std::string& install, std::string& config,
                                            std::wstring& bookmark, std::wstring&, std::wstring&,
                                            std::wstring&, DownloadDigests& digests) {
            calls_.push_back("edition " + url);
            EXPECT_EQ(L"os", d.osName) << "the record GetDeviceInfo filled";
            const int code = editionResult_();
            if (code == 0) {
                install = "http://dl/installer.exe";
                config = configUrl_;
                bookmark = L"http://cfg/Bookmarks";
                digests.installer = {kInstallerSha256, 1234};
                digests.config = {kConfigSha256, -1};
            }
            return code;
        };
        stages_.chooseInstallRoot = [this] {
            calls_.push_back("root");
            return std::wstring(L"D:\\");
        };
        stages_.downloadFile = [this](const std::string& url, const std::wstring& root,
                                      std::wstring& path, const Utils::HttpExpectedBody& expected) {
            calls_.push_back("download " + url);
            EXPECT_EQ(L"D:\\", root);
            // What the edition answer said about each file reaches its download.
            const bool config = url == configUrl_;
            EXPECT_EQ(config ? kConfigSha256 : kInstallerSha256, expected.sha256) << url;
            EXPECT_EQ(config ? -1 : 1234, expected.size) << url;
            now_ += 100;
            return url == configUrl_ ? configResult_(path) : installerResult_(path);
        };
        stages_.excuteVersion = [this](const LaunchRequest& r) {
            calls_.push_back("launch");
            launch_ = r;
            now_ += 1000;
            excuteVersionTime = 1000;
            NotifyProgress(9, 0, 0);
            GetMainWindow()->Shared().m_iStatusCode = 0;
        };
        stages_.removeDownloadedInstaller = [this](const std::wstring& path) {
            calls_.push_back("remove");
            RemoveDownloadedInstaller(path);
        };
        reportResult_ = [](const std::string&) { return 0; };
        editionResult_ = [] { return 0; };
        installerResult_ = [this](std::wstring& path) {
            path = installer_;
            return TestSupport::WriteBytes(path, "MZ") ? 0 : 99;
        };
        configResult_ = [this](std::wstring& path) {
            path = config_;
            return TestSupport::WriteBytes(path, "{}") ? 0 : 99;
        };
    }

    void TearDown() override {
        SetMainWindow(nullptr);
        ParseCommandLine({L"TavoInstaller"});
    }

    void Run() {
        Services::RunPipeline(stages_, clock_);
        QueuedMessage m{0, 0};
        while (queue_.TryTake(m)) {
            Received r{m.message, {}, {}};
            if (m.message == kMsgStatusText || m.message == kMsgErrorText) {
                r.text = *TakeText(m.payload);
            } else if (m.message == kMsgProgress) {
                r.progress = *TakeProgress(m.payload);
                r.text = ProgressText(r.progress);
            } else {
                FreePayload(m.message, m.payload);
            }
            received_.push_back(r);
        }
        log_ = logCapture_.Text();
    }

    int32_t Status() const { return queue_.Shared().m_iStatusCode; }

    // The messages as "number:text" for compact comparisons.
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> out;
        for (const Received& r : received_) {
            out.push_back(std::to_wstring(r.message) + (r.text.empty() ? L"" : L":" + r.text));
        }
        return out;
    }

    bool Logged(const std::string& text) const { return log_.find(text) != std::string::npos; }
    size_t CountLogged(const std::string& text) const { return logCapture_.Count(text); }

    TestSupport::LogCapture logCapture_;
    TempDir files_;
    std::wstring installer_ = files_.Child(L"setup.exe");
    std::wstring config_ = files_.Child(L"config.ini");
    std::string configUrl_;
    MessageQueue queue_;
    PipelineStages stages_;
    PipelineClock clock_;
    uint32_t now_ = 1000;
    std::vector<uint32_t> pauses_;
    std::vector<std::string> calls_;
    std::vector<Received> received_;
    std::string log_;
    LaunchRequest launch_;
    std::function<int(const std::string&)> reportResult_;
    std::function<int()> editionResult_;
    std::function<int(std::wstring&)> installerResult_;
    std::function<int(std::wstring&)> configResult_;
};

const std::vector<uint32_t> kTenPauses = {500,  1000,  2000,  3500,  5500,
                                          8000, 11000, 14500, 18500, 23000};

// What a run that reaches a successful launch posts.
const std::vector<std::wstring> kSuccessMessages = {
    L"1127:正在联网…",   L"1127:正在下载…", L"1127:下载完毕。", L"1128",
    L"1127:安装准备中…", L"1127:正在安装…", L"1127:安装完毕。", L"1124"};

TEST_F(DriverTest, ExitRequestedBeforeTheWorkerStarts) {
    queue_.Shared().m_bNeedExit = true;
    Run();
    EXPECT_EQ(std::vector<std::wstring>{L"1124"}, Messages());
    EXPECT_EQ(1015, Status()) << "stopped on request, not a success";
    EXPECT_TRUE(calls_.empty());
    EXPECT_TRUE(Logged("-Services::DoWork-("));
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp doWork begin 1000"));
    EXPECT_TRUE(Logged("OUT:ERROR:exit thread"));
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp doWork end 1000 consume:0"));
    EXPECT_FALSE(Logged("Timestamp GetDeviceInfo"));
}

TEST_F(DriverTest, Success) {
    configUrl_ = "http://cfg/config.ini";
    Run();
    EXPECT_EQ(kSuccessMessages, Messages());
    EXPECT_EQ(0, Status());
    EXPECT_EQ(L"UUID", queue_.Shared().Uuid());
    EXPECT_EQ((std::vector<std::string>{
                  "device", "uuid", "report http://test.tavo.example:90/browser/c/boostrap/report",
                  "edition "
                  "http://test.tavo.example:90/browser/c/boostrap/getEdition",
                  "root", "download http://dl/installer.exe", "download http://cfg/config.ini",
                  "launch", "remove"}),
              calls_);
    EXPECT_EQ(installer_, launch_.installerPath);
    EXPECT_EQ(config_, launch_.configPath);
    EXPECT_EQ(L"http://cfg/Bookmarks", launch_.bookmarkUrl);
    EXPECT_EQ(L"UUID", launch_.uuid);
    EXPECT_EQ(L"D:\\", launch_.zelInstallPath);
    EXPECT_FALSE(TestSupport::Exists(installer_)) << "the installer is removed";
    EXPECT_TRUE(TestSupport::Exists(config_)) << "the configuration file stays";
    EXPECT_TRUE(pauses_.empty());
    EXPECT_EQ(100, downloadVersionTime.load());
    EXPECT_EQ(1200, doWorkTotalTime.load());
    EXPECT_EQ(1000, excuteVersionTime.load());
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp DownloadVersion begin 1000"));
    EXPECT_TRUE(Logged("OUT:INFO:DownloadVersion for begin 1000 at 1 times."));
    EXPECT_TRUE(Logged("OUT:INFO:DownloadVersion for end 1100 consume:100"));
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp DownloadVersion end 1100 consume:100"));
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp doWork end 2200 consume:1200"));
}

TEST_F(DriverTest, CreateUuidFailureShowsTheCodeAndEnds) {
    stages_.createUuid = [](std::wstring&) { return 1002; };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1126:安装过程遇到错误 0x800003EA", L"1124"}),
              Messages());
    EXPECT_EQ(1002, Status());
    EXPECT_TRUE(queue_.Shared().Uuid().empty());
    EXPECT_TRUE(Logged("OUT:ERROR:CreateUUID error:1002"));
}

TEST_F(DriverTest, FailedStartReportIsNotFatalAndKeepsItsCode) {
    reportResult_ = [](const std::string&) { return 1008; };
    installerResult_ = [](std::wstring&) { return 0x2007; };  // ends the run without a new code
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1127:正在下载…", L"1124"}),
              Messages())
        << "the report's failures show nothing";
    EXPECT_EQ((std::vector<uint32_t>{500, 1000, 1500}), pauses_);
    EXPECT_EQ(3u, CountLogged("OUT:INFO:UploadCountInfo for begin "));
    EXPECT_TRUE(Logged(" at 3 times."));
    EXPECT_TRUE(Logged("OUT:ERROR:UploadCountInfo failed, will retry. Sleep 1500"));
    EXPECT_TRUE(Logged("OUT:INFO:Timestamp RequestDownloadUrl begin 4000"))
        << "the edition request runs after the third pause";
    EXPECT_EQ(1008, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:http download canceled"));
}

TEST_F(DriverTest, ExitRequestDuringTheStartReportEndsTheRun) {
    reportResult_ = [this](const std::string&) {
        queue_.Shared().m_bNeedExit = true;
        return 1008;
    };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1124"}), Messages());
    EXPECT_EQ(1008, Status()) << "the failed report's code stays";
    EXPECT_EQ((std::vector<uint32_t>{500}), pauses_);
    EXPECT_TRUE(Logged("OUT:ERROR:UploadCountInfo cancel, IsNeedExit=true, exit thread"));
    EXPECT_FALSE(Logged("Timestamp RequestDownloadUrl"));
}

TEST_F(DriverTest, SecondReportUrlIsTriedInTheSamePass) {
    ParseCommandLine({L"TavoInstaller"});  // release mode: two addresses
    reportResult_ = [](const std::string& url) { return url == reportUrls[0] ? 1007 : 0; };
    Run();
    EXPECT_EQ(kSuccessMessages, Messages());
    EXPECT_TRUE(pauses_.empty());
    ASSERT_GE(calls_.size(), 4u);
    EXPECT_EQ("report " + reportUrls[0], calls_[2]);
    EXPECT_EQ("report " + reportUrls[1], calls_[3]);
    const std::regex attempt(R"(OUT:INFO:UploadCountInfo for begin \d+ at 1 times\.)");
    EXPECT_EQ(2, std::distance(std::sregex_iterator(log_.begin(), log_.end(), attempt),
                               std::sregex_iterator()))
        << "both attempts carry the pass number 1";
    EXPECT_EQ(0, Status()) << "the successful launch resets the report's code";
}

TEST_F(DriverTest, TenFailedEditionPasses) {
    editionResult_ = [] { return 1013; };
    Run();
    EXPECT_EQ(kTenPauses, pauses_);
    std::vector<std::wstring> expected = {L"1127:正在联网…"};
    for (int r = 1; r <= 10; ++r) {
        expected.push_back(L"1125:糟糕！联网失败。正在重试…[" + std::to_wstring(r) + L"/10]");
    }
    expected.push_back(L"1126:连接服务器失败");
    expected.push_back(L"1124");
    EXPECT_EQ(expected, Messages());
    EXPECT_EQ(1013, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:RequestDownloadUrl failed, will retry. Sleep 23000"));
    EXPECT_EQ(std::string::npos, log_.find("root")) << "nothing after the edition request";
}

TEST_F(DriverTest, CancelledInstallerDownloadDeletesNothing) {
    installerResult_ = [](std::wstring&) { return 0x2007; };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1127:正在下载…", L"1124"}),
              Messages());
    EXPECT_EQ(1015, Status()) << "stopped on request, not a success";
    EXPECT_TRUE(Logged("OUT:ERROR:http download canceled"));
    EXPECT_EQ(calls_.end(), std::find(calls_.begin(), calls_.end(), "remove"));
}

TEST_F(DriverTest, CancelledConfigDownloadIsAStopOnRequestToo) {
    configUrl_ = "http://cfg/config.ini";
    configResult_ = [](std::wstring&) { return 0x2007; };
    Run();
    EXPECT_EQ(1015, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:http download config canceled"));
    EXPECT_EQ(calls_.end(), std::find(calls_.begin(), calls_.end(), "launch"));
    EXPECT_EQ(L"1124", Messages().back());
}

TEST_F(DriverTest, ExitRequestDuringTheDownloadRetries) {
    installerResult_ = [this](std::wstring&) {
        queue_.Shared().m_bNeedExit = true;
        return 0x2000 + 2;
    };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1127:正在下载…",
                                         L"1125:糟糕！下载失败。正在重试…[1/10]", L"1124"}),
              Messages());
    EXPECT_EQ(1u, pauses_.size()) << "the pause is taken, the next attempt is not";
    EXPECT_TRUE(Logged("OUT:ERROR:DownloadVersion cancel, IsNeedExit=true, exit thread"));
    EXPECT_EQ(1014, Status());
    EXPECT_EQ(L"1124", Messages().back());
}

TEST_F(DriverTest, TenFailedInstallerDownloads) {
    installerResult_ = [](std::wstring&) { return 0x2000 + 404; };
    Run();
    EXPECT_EQ(kTenPauses, pauses_);
    std::vector<std::wstring> expected = {L"1127:正在联网…", L"1127:正在下载…"};
    for (int k = 1; k <= 10; ++k) {
        expected.push_back(L"1125:糟糕！下载失败。正在重试…[" + std::to_wstring(k) + L"/10]");
    }
    expected.push_back(L"1126:安装程序下载失败");
    expected.push_back(L"1124");
    EXPECT_EQ(expected, Messages());
    EXPECT_EQ(1014, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:http download failed."));
    EXPECT_EQ(0, downloadVersionTime.load());
}

TEST_F(DriverTest, ThreeFailedConfigDownloadsStillLaunch) {
    configUrl_ = "http://cfg/config.ini";
    configResult_ = [](std::wstring&) { return 0x2000 + 2; };
    Run();
    EXPECT_EQ(
        (std::vector<std::wstring>{
            L"1127:正在联网…", L"1127:正在下载…", L"1127:下载完毕。",
            L"1125:糟糕！配置下载失败。正在重试…[1/3]", L"1125:糟糕！配置下载失败。正在重试…[2/3]",
            L"1125:糟糕！配置下载失败。正在重试…[3/3]", L"1128", L"1127:安装准备中…",
            L"1127:正在安装…", L"1127:安装完毕。", L"1124"}),
        Messages());
    EXPECT_EQ((std::vector<uint32_t>{500, 1000, 2000}), pauses_);
    EXPECT_EQ(L"", launch_.configPath) << "launched without a configuration file";
    EXPECT_TRUE(Logged("OUT:ERROR:config 配置文件下载失败"));
    EXPECT_EQ(0, Status()) << "a failed configuration download sets no code";
}

TEST_F(DriverTest, EmptyInstallerPath) {
    installerResult_ = [](std::wstring&) { return 0; };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1127:正在下载…", L"1127:下载完毕。",
                                         L"1128", L"1127:安装准备中…", L"1126:安装程序无法启动",
                                         L"1124"}),
              Messages());
    EXPECT_EQ(1009, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:The download file path is empty"));
}

TEST_F(DriverTest, MissingInstallerFile) {
    installerResult_ = [this](std::wstring& path) {
        path = files_.Child(L"gone.exe");
        return 0;
    };
    Run();
    EXPECT_EQ((std::vector<std::wstring>{L"1127:正在联网…", L"1127:正在下载…", L"1127:下载完毕。",
                                         L"1128", L"1127:安装准备中…",
                                         L"1126:安装程序不存在，请尝试重新下载安装", L"1124"}),
              Messages());
    EXPECT_EQ(1010, Status());
    EXPECT_TRUE(Logged("OUT:ERROR:The installer exe was not exist!"));
    EXPECT_EQ(calls_.end(), std::find(calls_.begin(), calls_.end(), "launch"));
}

TEST_F(DriverTest, TickWrapBetweenBeginAndEnd) {
    now_ = 0xFFFFFF00u;
    Run();
    EXPECT_EQ(1100, doWorkTotalTime.load()) << "32-bit differences";
    // The log prints the difference of the two 32-bit values as 64-bit numbers.
    const uint32_t end = 0xFFFFFF00u + 1100u;
    const uint64_t wrapped = static_cast<uint64_t>(end) - 0xFFFFFF00ull;
    EXPECT_TRUE(Logged(" consume:" + std::to_string(wrapped))) << log_;
}

}  // namespace
