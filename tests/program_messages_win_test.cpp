// Windows: the running program's window handle is open to every process on
// the desktop. Only 1129 may come from outside; a 1124 to 1128 that another
// process posts carries no worker cookie and is dropped, its lParam never
// read or freed. Here against the headless front end's message window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "services/notify.h"
#include "tests/support/running_program_win.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

namespace {

// A download slow enough that the run is still downloading when the test
// posts (4 MiB at 256 KiB/s: 16 s, cut short by the stop request).
constexpr const char* kSlowDownload = R"({"installer": {"size": 4194304, "rate": 262144}})";

// Waits up to `ms` until the service has seen the installer's download
// begin.
bool WaitForDownload(TestSupport::TestService& service, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        for (const auto& r : service.Requests()) {
            if (r.endpoint == "installer") {
                return true;
            }
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return false;
}

// The headless program against the service with a slow download, its log
// in a folder of the test's own.
class ProgramMessages : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        ASSERT_TRUE(service_.SetScenario(kSlowDownload)) << service_.error();
    }

    TestSupport::TestService service_;
    TestSupport::TempDir tmp_;
    TestSupport::ScopedEnv logFolder_{"TMP", Utils::WideToUtf8(tmp_.path())};
    TestSupport::ScopedEnv base_{"TAVO_TEST_BASE_URL", service_.BaseUrl()};
    TestSupport::ScopedEnv headless_{"TAVO_HEADLESS", "1"};
    const std::wstring installer_ = TestSupport::SiblingProgram(L"TavoInstaller");
};

TEST_F(ProgramMessages, HeadlessWindowDropsWorkerMessagesFromOtherProcesses) {
    TestSupport::RunningProgram program(installer_, L"TavoInstaller --test");
    ASSERT_TRUE(program.started());
    const HWND window =
        program.WaitForWindow(L"TavoInstallerHeadless", nullptr, true, false, 60000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitForDownload(service_, 60000)) << "the run never reached its download";

    // Pointers that are not the program's: reading or freeing any of them
    // would crash it (an access violation is its exit code then).
    const LPARAM bogus = 0x10;
    for (UINT message = kMsgWorkerDone; message <= kMsgBusy; ++message) {
        ASSERT_TRUE(PostMessageW(window, message, 0, bogus));
        ASSERT_TRUE(PostMessageW(window, message, WorkerMessageCookie(), bogus))
            << "this test's cookie is not the program's";
    }
    ASSERT_TRUE(PostMessageW(window, kMsgStopRequest, 0, 0));

    DWORD code = 12345;
    ASSERT_TRUE(program.WaitForExit(60000, code));
    EXPECT_EQ(0u, code) << "the stop request ended the run through the exit sequence";
    const auto reports = service_.RequestsTo("/browser/c/boostrap/report");
    ASSERT_EQ(2u, reports.size());
    const nlohmann::json end = nlohmann::json::parse(reports[1].body, nullptr, false);
    EXPECT_EQ(1015, end.value("statusCode", 0)) << "stopped on request, nothing else";
}

TEST_F(ProgramMessages, HeadlessSecondCopyTellsOnStandardErrorAndEndsWithMinusOne) {
    TestSupport::RunningProgram first(installer_, L"TavoInstaller --test");
    const HWND window = first.WaitForWindow(L"TavoInstallerHeadless", nullptr, true, false, 60000);
    ASSERT_NE(nullptr, window);
    TestSupport::RunningProgram second(installer_, L"TavoInstaller --test",
                                       tmp_.Child(L"second.err"));
    DWORD code = 12345;
    ASSERT_TRUE(second.WaitForExit(60000, code));
    EXPECT_EQ(static_cast<DWORD>(-1), code);
    EXPECT_EQ("Tavo浏览器 安装程序已经在运行，请勿重复启动！" + TestSupport::NativeLineEnd(),
              TestSupport::ReadBytes(tmp_.Child(L"second.err")));

    ASSERT_TRUE(PostMessageW(window, kMsgStopRequest, 0, 0));
    ASSERT_TRUE(first.WaitForExit(60000, code));
    EXPECT_EQ(0u, code);
}

}  // namespace
