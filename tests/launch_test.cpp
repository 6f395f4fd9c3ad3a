// The launch stage against the fake full installer (tools/fake-full-installer)
// with a fake clock: each exit code's runs, pauses, window messages, status
// code, app version and registry state. The fake runs as a real child
// process; it installs into a folder of the test and writes the test's
// registry root.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/launch.h"
#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "tests/support/testsupport.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/registry.h"

namespace {

using TestSupport::ScopedEnv;
using TestSupport::TempDir;

// What the driver hands the launch: the downloaded installer (named as the
// service names it) and the uuid; the rest is set per test.
LaunchRequest Request(const TempDir& downloads) {
    LaunchRequest request;
    request.installerPath = downloads.Child(L"TavoSetup") + TestSupport::ProgramSuffix();
    return request;
}

class LaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Utils::ClearPendingFaultsForTesting();
        ParseCommandLine({L"TavoInstaller"});
        SetMainWindow(&queue_);
        excuteVersionTime = 0;
        clock_.tick = [this] { return now_ += 7; };
        clock_.sleep = [this](uint32_t ms) { pauses_.push_back(ms); };
        // The installer as the download leaves it: a copy of the fake under
        // another name, on Linux without any execute permission.
        const std::string fake =
            TestSupport::ReadBytes(TestSupport::SiblingProgram(L"tavo-fake-full-installer"));
        ASSERT_FALSE(fake.empty());
        ASSERT_TRUE(TestSupport::WriteBytes(request_.installerPath, fake));
        request_.uuid = L"5F0C2A77E0B84C42A1D1C0FFEE000042";
        request_.configPath =
            downloads_.Child(L"my files") + Utils::PathSeparator() + L"config.ini";
    }

    void TearDown() override {
        SetMainWindow(nullptr);
        Utils::ClearPendingFaultsForTesting();
    }

    void Run(const std::string& scenario) {
        const ScopedEnv env("TAVO_FAKE_INSTALLER_SCENARIO", scenario);
        Services::ExcuteVersion(request_, clock_);
        QueuedMessage m{0, 0};
        while (queue_.TryTake(m)) {
            std::wstring text;
            if (m.message == kMsgStatusText || m.message == kMsgErrorText) {
                text = *TakeText(m.payload);
            } else if (m.message == kMsgProgress) {
                text = ProgressText(*TakeProgress(m.payload));
            } else {
                FreePayload(m.message, m.payload);
            }
            messages_.push_back(std::to_wstring(m.message) + L":" + text);
        }
    }

    // The fake's record, one object per run, in order; `role` "installer" or
    // "browser".
    std::vector<nlohmann::json> Runs(const std::string& role) const {
        std::vector<nlohmann::json> runs;
        const std::string text = TestSupport::ReadBytes(record_);
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            const nlohmann::json line = nlohmann::json::parse(
                text.substr(start, end == std::string::npos ? end : end - start), nullptr, false);
            if (line.is_object() && line.value("role", "") == role) {
                runs.push_back(line);
            }
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return runs;
    }

    std::wstring RegistryString(const std::wstring& name) const {
        Utils::RegistryKey key;
        std::wstring value;
        if (key.OpenForQuery(L"Software\\Tavo") == Utils::kRegOk) {
            key.QueryString(name, value);
        }
        return value;
    }

    // Nothing waits for the browser that the launch opens: wait for its
    // record here (a generous bound against a hang, not a time limit).
    void WaitForTheBrowser() const {
        for (int i = 0; i < 6000 && Runs("browser").empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    SharedState& Shared() { return queue_.Shared(); }

    TestSupport::LogCapture log_;
    TestSupport::ScopedRegistryRoot registry_;
    TempDir appData_;
    TempDir downloads_;
    const std::wstring record_ = downloads_.Child(L"runs.jsonl");
    const ScopedEnv registryEnv_{"TAVO_FAKE_INSTALLER_REGISTRY_ROOT",
                                 Utils::WideToUtf8(registry_.root())};
    const ScopedEnv appDataEnv_{"TAVO_FAKE_INSTALLER_APPDATA", Utils::WideToUtf8(appData_.path())};
    const ScopedEnv recordEnv_{"TAVO_FAKE_INSTALLER_RECORD", Utils::WideToUtf8(record_)};
    LaunchRequest request_ = Request(downloads_);
    MessageQueue queue_;
    PipelineClock clock_;
    uint32_t now_ = 5000;
    std::vector<uint32_t> pauses_;
    std::vector<std::wstring> messages_;
};

const wchar_t kCleanUpText[] =
    L"1126:请删除注册表项 计算机\\HKEY_CURRENT_USER\\Software\\Tavo 后再安装！";

TEST_F(LaunchTest, OutcomesOfTheFullInstaller) {
    const struct {
        const char* scenario;
        int32_t status;
        size_t runs;
        std::vector<uint32_t> pauses;
        std::vector<std::wstring> messages;
        const wchar_t* appVersion;
        bool done;  // the run counts as done: success, or a higher version opened
        const char* why;
    } cases[] = {
        {R"({"exit":0})", 0, 1, {}, {L"1127:安装完毕。"}, L"2.5.0.7", true, "installed"},
        {R"({"exit":4})",
         4,
         1,
         {},
         {},
         L"2.5.0.7",
         true,
         "a higher version with its browser: the browser is opened, no error"},
        {R"({"exit":4,"browser":false})",
         4,
         3,
         {},
         {kCleanUpText},
         L"",
         false,
         "the browser is gone: pv reset and run again at once, three runs"},
        {R"({"exit":-1})",
         -1,
         3,
         {1000, 2000, 3000},
         {L"1126:安装程序遇到错误"},
         L"",
         false,
         "not started: pauses of 1000, 2000 and 3000 ms"},
        {R"({"exit":7,"resultText":"磁盘空间不足，请清理后重试"})",
         7,
         1,
         {},
         {L"1126:磁盘空间不足，请清理后重试"},
         L"",
         false,
         "the full installer's own text"},
        {R"({"exit":7})",
         7,
         1,
         {},
         {L"1126:安装程序遇到错误"},
         L"",
         false,
         "no result text: the generic one"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        // Each row installs afresh (a browser opened by an earlier row may
        // still run from its folder).
        const TempDir appData;
        const ScopedEnv appDataEnv("TAVO_FAKE_INSTALLER_APPDATA",
                                   Utils::WideToUtf8(appData.path()));
        TestSupport::WriteBytes(record_, "");
        Utils::DeleteRegistryKey(L"Software\\Tavo");
        Shared().m_iStatusCode = 1008;  // a failed start report's code before the launch
        Shared().m_bHigherVersionOpened = false;
        Shared().SetAppVersion(L"");
        excuteVersionTime = 0;
        pauses_.clear();
        messages_.clear();

        Run(c.scenario);
        EXPECT_EQ(c.status, Shared().m_iStatusCode.load());
        EXPECT_EQ(c.runs, Runs("installer").size());
        EXPECT_EQ(c.pauses, pauses_);
        EXPECT_EQ(c.messages, messages_);
        EXPECT_EQ(c.appVersion, Shared().AppVersion());
        EXPECT_EQ(c.done && c.status != 0, Shared().m_bHigherVersionOpened.load());
        EXPECT_EQ(c.done, excuteVersionTime != 0) << "set only for a launch that worked";
        if (Shared().m_bHigherVersionOpened) {
            WaitForTheBrowser();
        }
    }
}

TEST_F(LaunchTest, TheInstallerGetsItsCommandLineAndInstalls) {
    Run(R"({"exit":0})");
    const std::vector<nlohmann::json> runs = Runs("installer");
    ASSERT_EQ(1u, runs.size());
    // No window in this test process: no --yindaohwnd=.
    EXPECT_EQ((std::vector<std::string>{"--from-tavo-setup", "--verbose-logging",
                                        "--uuid=5F0C2A77E0B84C42A1D1C0FFEE000042",
                                        "--config-path=" + Utils::WideToUtf8(request_.configPath)}),
              runs[0]["argv"].get<std::vector<std::string>>())
        << "the folder with a blank reaches the installer as one value";
    EXPECT_EQ(L"2.5.0.7", RegistryString(L"pv"));
    const std::wstring sep = Utils::PathSeparator();
    const std::wstring browserDir = appData_.Child(L"Tavo") + sep + L"Application";
    EXPECT_EQ(R"({"guid":"5F0C2A77E0B84C42A1D1C0FFEE000042"})",
              TestSupport::ReadBytes(browserDir + sep + L"config.ini"));
    EXPECT_TRUE(TestSupport::Exists(browserDir + sep + L"Tavo.exe"));
    EXPECT_EQ(browserDir + sep + L"2.5.0.7" + sep + L"Installer" + sep + L"setup.exe",
              RegistryString(L"UninstallString"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:Timestamp ExcuteVersion begin 5007\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:ExcuteVersion for begin 5014 at 1 times.\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:ExcuteVersion for end 5021 consume:7\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:Timestamp ExcuteVersion end 5028 consume:21\n"));
    EXPECT_EQ(21, excuteVersionTime.load());
    EXPECT_EQ(0u, log_.Count("OUT:ERROR:")) << log_.Text();
}

TEST_F(LaunchTest, HigherVersionWithItsBrowserStartsTheBrowser) {
    Run(R"({"exit":4})");
    WaitForTheBrowser();
    EXPECT_EQ(1u, Runs("browser").size()) << "Tavo.exe was started";
    EXPECT_EQ(1u, log_.Count("OUT:INFO:succeed to open higher version exe.\n"));
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:goto CLEAN_UP iRet:4\n"));
}

TEST_F(LaunchTest, HigherVersionWithoutItsBrowserResetsTheVersionEachTime) {
    Run(R"({"exit":4,"browser":false})");
    EXPECT_EQ(L"0.0.0.0", RegistryString(L"pv"));
    EXPECT_EQ(3u, log_.Count("OUT:INFO:detect higher version, but exe path not exist. delete "
                             "higher version's reg ret:0\n"));
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:detect higher version, but exe path not exist. "));
    EXPECT_EQ(0u, log_.Count("Sleep"));
}

TEST_F(LaunchTest, NotStartedThreeTimes) {
    Run(R"({"exit":-1})");
    EXPECT_EQ(1u,
              log_.Count("OUT:INFO:iRet == -1, try to ExecutExeAtNewProcess again. Sleep 1000\n"));
    EXPECT_EQ(1u,
              log_.Count("OUT:INFO:iRet == -1, try to ExecutExeAtNewProcess again. Sleep 3000\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:ExcuteVersion for begin 5042 at 3 times.\n"));
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:Failed to run exe:" +
                             Utils::WideToUtf8(request_.installerPath) + ",error code:-1\n"));
    EXPECT_EQ(3u, Utils::PendingFaults().size()) << "one fault system-1 per run";
}

TEST_F(LaunchTest, ResultTextIsLogged) {
    Run(R"({"exit":7,"resultText":"磁盘空间不足"})");
    EXPECT_EQ(1u, log_.Count("OUT:INFO:InstallerResult:7\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:InstallerResultUIString:磁盘空间不足\n"));
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:goto CLEAN_UP iRet:7\n"));
}

}  // namespace
