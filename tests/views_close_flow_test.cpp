// The ways the installer ends: the worker's final message, the close glyph,
// the Close button, the stop request and the forced end, each with the whole
// story of view and exit-service calls and the log lines that matter.
#include <gtest/gtest.h>

#include <string>

#include "services/main_window_link.h"
#include "services/pipeline_config.h"
#include "tests/support/testsupport.h"
#include "tests/views_fakes.h"
#include "views/vorlininstallerdlg.h"

namespace {

using ViewsTest::Calls;
using ViewsTest::TextPayload;

const char kUrlA[] = "http://a.example/browser/c/boostrap/report";
const char kUrlB[] = "http://b.example/browser/c/boostrap/report";

class CloseFlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reportUrls = {kUrlA, kUrlB};
        WorkerValues(shared_);
    }

    // What the worker leaves after a launch.
    static void WorkerValues(SharedState& shared) {
        shared.SetUuid(L"UUID");
        shared.SetAppVersion(L"2.0.1.5");
    }

    // The calls of a final report that the first address accepts.
    static Calls Report(int status) {
        return {"device", std::string("report ") + kUrlA + " type 0 status " +
                              std::to_string(status) + " uuid UUID app 2.0.1.5 os os"};
    }
    static Calls Join(Calls a, const Calls& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    void Fail(int status, const wchar_t* text) {
        shared_.m_iStatusCode = status;
        dlg_.HandleMessage(1126, TextPayload(text));
    }

    ViewsTest::FakeWindow window_;
    Calls& calls_ = window_.calls;
    ViewsTest::FakeView& view_ = window_.view;
    ViewsTest::FakeExitServices& services_ = window_.services;
    SharedState& shared_ = window_.shared;
    CVorlinInstallerDlg& dlg_ = window_.dlg;
    TestSupport::LogCapture log_;
};

TEST_F(CloseFlowTest, SuccessReportsOnceAndEndsWithZero) {
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(Join(Join({"hide"}, Report(0)), {"flush", "end 0"}), calls_);
    EXPECT_TRUE(shared_.m_bHasExited);
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnExitMessage\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:0\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:status code:0\n"));
    EXPECT_NE(std::string::npos,
              log_.Text().find("FILE:vorlininstallerdlg.cpp-CVorlinInstallerDlg::OnExitMessage-("));
}

TEST_F(CloseFlowTest, HigherVersionOpenedEndsByItselfAndReportsItsCode) {
    // What the launch leaves when the full installer found a higher version
    // installed and its browser was opened: status 4, nothing on screen.
    const struct {
        bool opened;
        Calls expected;
        const char* why;
    } cases[] = {
        {true, Join(Join({"hide"}, Report(4)), {"flush", "end 0"}),
         "the run is done: the window closes itself, the report carries 4"},
        {false, {}, "without the browser opened, status 4 is a failure that waits"},
    };
    for (const auto& c : cases) {
        ViewsTest::FakeWindow window;
        WorkerValues(window.shared);
        window.shared.m_iStatusCode = 4;
        window.shared.m_bHigherVersionOpened = c.opened;
        window.dlg.HandleMessage(1124, 0);
        EXPECT_EQ(c.expected, window.calls) << c.why;
        EXPECT_EQ(!c.opened, window.dlg.WaitsForUser()) << c.why;
    }
    EXPECT_EQ(2u, log_.Count("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:4\n"));
}

TEST_F(CloseFlowTest, FailureWaitsForTheUserThenTheCloseGlyphEndsAtOnce) {
    Fail(1014, L"安装程序下载失败");
    calls_.clear();
    dlg_.HandleMessage(1124, 0);
    EXPECT_TRUE(calls_.empty()) << "the error state stays";
    EXPECT_TRUE(dlg_.WaitsForUser());
    EXPECT_EQ(0, view_.ends);

    dlg_.OnBnClickedButtonExit();
    EXPECT_EQ(Join(Join({"hide", "hide"}, Report(1014)), {"flush", "end 0"}), calls_)
        << "no forced-end timer: the final message was already handled";
    EXPECT_EQ(2u, log_.Count("OUT:INFO:m_bHasExited:1,m_bNeedExit:0,m_iStatusCode:1014\n"))
        << "the final message's and the close glyph's";
    EXPECT_EQ(1u, log_.Count("OUT:INFO:status code:1014\n"));
}

TEST_F(CloseFlowTest, FailureThenTheCloseButtonLogsTheStopRequest) {
    Fail(1014, L"安装程序下载失败");
    dlg_.HandleMessage(1124, 0);
    calls_.clear();
    dlg_.OnBnClickedButtonClose();
    EXPECT_EQ(Join(Join({"hide", "hide"}, Report(1014)), {"flush", "end 0"}), calls_);
    EXPECT_TRUE(shared_.m_bNeedExit);
    const std::string log = log_.Text();
    const size_t close = log.find("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonClose\n");
    const size_t window = log.find("OUT:INFO:CVorlinInstallerDlg::CloseWindow\n");
    const size_t flag = log.find("OUT:INFO:m_bNeedExit:1\n");
    const size_t exit = log.find("OUT:INFO:m_bHasExited:1,m_bNeedExit:1,m_iStatusCode:1014\n");
    ASSERT_NE(std::string::npos, exit) << log;
    EXPECT_LT(close, window);
    EXPECT_LT(window, flag);
    EXPECT_LT(flag, exit);
}

TEST_F(CloseFlowTest, CloseButtonBeforeTheFinalMessageWaitsForIt) {
    Fail(1014, L"安装程序下载失败");
    calls_.clear();
    dlg_.OnBnClickedButtonClose();
    EXPECT_EQ((Calls{"hide"}), calls_);
    EXPECT_TRUE(shared_.m_bNeedExit);
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(Join(Join({"hide", "hide"}, Report(1014)), {"flush", "end 0"}), calls_);
}

TEST_F(CloseFlowTest, CloseGlyphWhileWorkingLetsTheWorkerFinish) {
    dlg_.OnBnClickedButtonExit();
    EXPECT_EQ((Calls{"hide", "timer+ 2 120000"}), calls_);
    EXPECT_TRUE(shared_.m_bUserExit);
    EXPECT_FALSE(shared_.m_bNeedExit) << "the worker is not asked to stop";
    dlg_.HandleMessage(1125, TextPayload(L"下载完毕。"));
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(Join(Join({"hide", "timer+ 2 120000", "text 1003 下载完毕。", "hide", "timer- 2"},
                        Report(0)),
                   {"flush", "end 0"}),
              calls_)
        << "the worker's own status; the timer never fires";
}

TEST_F(CloseFlowTest, WorkerFailingAfterTheCloseGlyphStillEnds) {
    dlg_.OnBnClickedButtonExit();
    Fail(1013, L"连接服务器失败");
    calls_.clear();
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(Join(Join({"hide", "timer- 2"}, Report(1013)), {"flush", "end 0"}), calls_);
}

TEST_F(CloseFlowTest, ForcedEndReplacesTheStatusUnlessAnErrorIsShown) {
    struct {
        bool errorShown;
        int expectedStatus;
        const char* why;
    } cases[] = {
        {false, 1001, "no error on screen: the run is cut off"},
        {true, 1014, "an error text on screen keeps the worker's code"},
    };
    for (const auto& c : cases) {
        ViewsTest::FakeWindow w;
        WorkerValues(w.shared);
        TestSupport::LogCapture log;
        w.dlg.OnBnClickedButtonExit();
        w.shared.m_iStatusCode = 1014;
        if (c.errorShown) {
            w.dlg.HandleMessage(1126, TextPayload(L"安装程序下载失败"));
        }
        w.calls.clear();
        w.dlg.OnTimer(kForcedEndTimerId);
        EXPECT_EQ(Join(Join({"timer- 2", "hide"}, Report(c.expectedStatus)), {"flush", "end 0"}),
                  w.calls)
            << c.why;
        EXPECT_EQ(1u, log.Count("OUT:INFO:CVorlinInstallerDlg::OnTimer\n")) << c.why;
        EXPECT_EQ(1u, log.Count("OUT:INFO:status code:" + std::to_string(c.expectedStatus)))
            << c.why;
    }
}

TEST_F(CloseFlowTest, OnlyTheForcedEndTimerEndsTheRun) {
    dlg_.OnTimer(kForcedEndTimerId);
    EXPECT_TRUE(calls_.empty()) << "no forced end scheduled yet";
    dlg_.OnBnClickedButtonExit();
    calls_.clear();
    dlg_.OnTimer(11);
    EXPECT_TRUE(calls_.empty()) << "another timer";
    EXPECT_EQ(0u, log_.Count("OnTimer"));
}

TEST_F(CloseFlowTest, CloseGlyphTwiceStartsOneTimer) {
    dlg_.OnBnClickedButtonExit();
    dlg_.OnBnClickedButtonExit();
    EXPECT_EQ((Calls{"hide", "timer+ 2 120000", "hide"}), calls_);
    EXPECT_EQ(2u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonExit\n"));
}

TEST_F(CloseFlowTest, StopRequestDuringTheDownloadEndsOnTheFinalMessage) {
    dlg_.HandleMessage(1127, ViewsTest::ProgressPayload(5, 40, 30));
    dlg_.HandleMessage(1129, 0);
    EXPECT_TRUE(shared_.m_bNeedExit);
    calls_.clear();
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(Join(Join({"hide"}, Report(0)), {"flush", "end 0"}), calls_)
        << "a cancelled download keeps the status code";
}

TEST_F(CloseFlowTest, NoAddressAnswersThreePassesWithGrowingPausesThenTheFaults) {
    services_.reportResults = {{kUrlA, 1008}, {kUrlB, 2}};
    dlg_.HandleMessage(1124, 0);
    const std::string a =
        std::string("report ") + kUrlA + " type 0 status 0 uuid UUID app 2.0.1.5 os os";
    const std::string b =
        std::string("report ") + kUrlB + " type 0 status 0 uuid UUID app 2.0.1.5 os os";
    EXPECT_EQ((Calls{"hide", "device", a, b, "sleep 500", a, b, "sleep 1000", a, b, "sleep 1500",
                     "flush", "end 0"}),
              calls_);
}

TEST_F(CloseFlowTest, TheFirstAcceptedReportEndsThePasses) {
    services_.reportResults = {{kUrlA, 1008}};
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(
        (Calls{"hide", "device",
               std::string("report ") + kUrlA + " type 0 status 0 uuid UUID app 2.0.1.5 os os",
               std::string("report ") + kUrlB + " type 0 status 0 uuid UUID app 2.0.1.5 os os",
               "flush", "end 0"}),
        calls_);
}

TEST_F(CloseFlowTest, MissingUuidIsCreatedAndItsFailureSkipsOnlyTheReport) {
    struct {
        int uuidResult;
        Calls expected;
        const char* why;
    } cases[] = {
        {0,
         {"hide", "createUuid", "device",
          std::string("report ") + kUrlA + " type 0 status 1002 uuid NEWUUID app  os os", "flush",
          "end 0"},
         "the created UUID goes into the report"},
        {1002, {"hide", "createUuid", "flush", "end 0"}, "no UUID: no report, the faults still go"},
    };
    for (const auto& c : cases) {
        ViewsTest::FakeWindow w;  // the worker failed before it had a UUID
        w.services.uuidResult = c.uuidResult;
        w.shared.m_iStatusCode = 1002;
        w.dlg.HandleMessage(1126, TextPayload(L"安装过程遇到错误 0x800003EA"));
        w.dlg.HandleMessage(1124, 0);
        w.calls.clear();
        w.dlg.OnBnClickedButtonClose();
        EXPECT_EQ(Join({"hide"}, c.expected), w.calls) << c.why;
        EXPECT_EQ(c.uuidResult == 0 ? L"NEWUUID" : L"", w.shared.Uuid()) << c.why;
    }
}

TEST_F(CloseFlowTest, ExitSequenceRunsOnceWhenMessagesArriveWhileItReports) {
    // A platform call inside the report may dispatch queued messages: the
    // worker's final message and the forced-end timer come in again.
    dlg_.OnBnClickedButtonExit();
    services_.onUpload = [this] {
        dlg_.HandleMessage(1124, 0);
        dlg_.OnTimer(kForcedEndTimerId);
        dlg_.OnBnClickedButtonClose();
    };
    calls_.clear();
    dlg_.HandleMessage(1124, 0);
    EXPECT_EQ(1, view_.ends);
    EXPECT_EQ(1u, log_.Count("OUT:INFO:status code:0\n"));
    EXPECT_EQ(0, shared_.m_iStatusCode) << "the timer did not replace the status meanwhile";
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnExitMessage\n"))
        << "the calls that came in while it reported returned at once";
}

TEST_F(CloseFlowTest, AFailedTimerStartIsTriedAgainOnTheNextRequest) {
    view_.timerResult = 0;
    dlg_.OnBnClickedButtonExit();
    view_.timerResult = 1;
    dlg_.OnBnClickedButtonExit();
    dlg_.OnBnClickedButtonExit();
    EXPECT_EQ((Calls{"hide", "timer+ 2 120000", "hide", "timer+ 2 120000", "hide"}), calls_);
}

}  // namespace
