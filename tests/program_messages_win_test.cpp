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

TEST(ProgramMessages, HeadlessWindowDropsWorkerMessagesFromOtherProcesses) {
    TestSupport::TestService service;
    ASSERT_TRUE(service.ok()) << service.error();
    ASSERT_TRUE(service.SetScenario(kSlowDownload)) << service.error();
    TestSupport::TempDir tmp;
    const TestSupport::ScopedEnv logFolder("TMP", Utils::WideToUtf8(tmp.path()));
    const TestSupport::ScopedEnv base("TAVO_TEST_BASE_URL", service.BaseUrl());
    const TestSupport::ScopedEnv headless("TAVO_HEADLESS", "1");

    TestSupport::RunningProgram program(TestSupport::SiblingProgram(L"TavoInstaller"),
                                        L"TavoInstaller --test");
    ASSERT_TRUE(program.started());
    const HWND window = program.WaitForWindow(L"TavoInstallerHeadless", true, false, 60000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitForDownload(service, 60000)) << "the run never reached its download";

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
    const auto reports = service.RequestsTo("/browser/c/boostrap/report");
    ASSERT_EQ(2u, reports.size());
    const nlohmann::json end = nlohmann::json::parse(reports[1].body, nullptr, false);
    EXPECT_EQ(1015, end.value("statusCode", 0)) << "stopped on request, nothing else";
}

}  // namespace
