// Linux only: the headless program between processes: SIGUSR1 is the
// outside stop request, a second copy says why it ends on standard error and
// ends with -1, and a run without a display never loads the window module.
#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/child_process_posix.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

namespace {

using TestSupport::kGuiPatienceMs;

// 64 MiB at 256 KiB/s: the download runs for minutes.
constexpr char kSlowScenario[] = R"({"installer":{"size":67108864,"rate":262144}})";

class HeadlessProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        ASSERT_TRUE(service_.SetScenario(kSlowScenario)) << service_.error();
    }

    std::string Program() const {
        return Utils::WideToUtf8(TestSupport::SiblingProgram(L"TavoInstaller"));
    }

    // Waits until the installer's download has begun.
    bool DownloadRuns() {
        return TestSupport::WaitUntil(
            [this] { return !service_.RequestsTo("/files/TavoSetup.exe").empty(); },
            kGuiPatienceMs);
    }

    TestSupport::TestService service_;
    TestSupport::TempDir tmp_, runtime_;
    const TestSupport::ScopedEnv headless_{"TAVO_HEADLESS", "1"};
    const TestSupport::ScopedEnv logFolder_{"TMP", Utils::WideToUtf8(tmp_.path())};
    const TestSupport::ScopedEnv lockFolder_{"XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime_.path())};
    const TestSupport::ScopedEnv base_{"TAVO_TEST_BASE_URL", service_.BaseUrl()};
};

TEST_F(HeadlessProgram, Sigusr1StopsTheDownloadAndTheRunEndsWithItsReport) {
    TestSupport::ChildProcess installer({Program(), "--test"}, {});
    ASSERT_TRUE(DownloadRuns());
    installer.Signal(SIGUSR1);
    int code = 1;
    ASSERT_TRUE(installer.Wait(kGuiPatienceMs, code));
    EXPECT_EQ(0, code);
    std::vector<std::string> endpoints;
    for (const auto& r : service_.Requests()) {
        endpoints.push_back(r.endpoint);
    }
    EXPECT_EQ((std::vector<std::string>{"report", "edition", "installer", "report"}), endpoints);
    const auto reports = service_.RequestsTo("/browser/c/boostrap/report");
    ASSERT_EQ(2u, reports.size());
    const auto end = nlohmann::json::parse(reports[1].body, nullptr, false);
    EXPECT_EQ(1015, end.value("statusCode", 0)) << "stopped on request";
}

TEST_F(HeadlessProgram, SecondCopySaysWhyOnStandardErrorAndEndsWithMinusOne) {
    TestSupport::ChildProcess first({Program(), "--test"}, {});
    ASSERT_TRUE(DownloadRuns());
    std::string output;
    TestSupport::RunForOutput({"sh", "-c", "\"$0\" --test 2>&1; echo \"exit $?\"", Program()},
                              output);
    EXPECT_EQ("Tavo浏览器 安装程序已经在运行，请勿重复启动！\nexit 255\n", output);
    EXPECT_TRUE(first.Running()) << "the first copy carries on";
}

TEST_F(HeadlessProgram, WithoutADisplayNeitherTheWindowModuleNorGtkIsLoaded) {
    // Not asked for headless: the program finds no display by itself.
    const TestSupport::ScopedEnv notAsked{"TAVO_HEADLESS", TestSupport::ScopedEnv::Unset{}};
    const TestSupport::ScopedEnv noX{"DISPLAY", TestSupport::ScopedEnv::Unset{}};
    const TestSupport::ScopedEnv noWayland{"WAYLAND_DISPLAY", TestSupport::ScopedEnv::Unset{}};
    TestSupport::ChildProcess installer({Program(), "--test"}, {});
    ASSERT_TRUE(DownloadRuns());
    std::ifstream maps("/proc/" + std::to_string(installer.pid()) + "/maps");
    std::stringstream text;
    text << maps.rdbuf();
    ASSERT_FALSE(text.str().empty());
    EXPECT_EQ(std::string::npos, text.str().find("libtavo-window-gtk"));
    EXPECT_EQ(std::string::npos, text.str().find("libgtk-3"));
    installer.Signal(SIGUSR1);
    int code = 1;
    ASSERT_TRUE(installer.Wait(kGuiPatienceMs, code));
    EXPECT_EQ(0, code);
}

}  // namespace
