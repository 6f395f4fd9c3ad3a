// The window's handlers against a recording view: what each worker message,
// button and filtered message does to the controls, the flags and the log.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "tests/support/testsupport.h"
#include "tests/views_fakes.h"
#include "views/vorlininstallerdlg.h"

namespace {

using ViewsTest::BusyPayload;
using ViewsTest::Calls;
using ViewsTest::ProgressPayload;
using ViewsTest::TextPayload;

class DlgTest : public ::testing::Test {
  protected:
    ViewsTest::FakeWindow window_;
    Calls& calls_ = window_.calls;
    ViewsTest::FakeView& view_ = window_.view;
    SharedState& shared_ = window_.shared;
    CVorlinInstallerDlg& dlg_ = window_.dlg;
    TestSupport::LogCapture log_;
};

TEST_F(DlgTest, WorkerMessagesChangeOnlyWhatTheyShow) {
    const std::string status = "text 1003 ";
    struct {
        uint32_t message;
        std::function<intptr_t()> payload;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {1125,
         [] { return TextPayload(L"糟糕！联网失败。正在重试…[1/10]"); },
         {status + "糟糕！联网失败。正在重试…[1/10]"},
         "a new status text is shown"},
        {1125,
         [] { return TextPayload(L"下载准备中…"); },
         {},
         "an equal text changes nothing (no redraw)"},
        {1125, [] { return TextPayload(L""); }, {status}, "an empty text blanks the line"},
        {1125, [] { return intptr_t{0}; }, {}, "a missing payload is ignored"},
        {1126,
         [] { return TextPayload(L"连接服务器失败"); },
         {"show 1003 0", "show 1002 0", "show 1009 1", "show 1006 1", "show 1007 1", "show 1008 1",
          "text 1006 连接服务器失败"},
         "the error state: status and bar hidden, picture, text and buttons shown"},
        {1126, [] { return intptr_t{0}; }, {}, "no error state without a text"},
        {1127, [] { return ProgressPayload(1, 0, 0); }, {status + "正在联网…"}, "kind 1"},
        {1127, [] { return ProgressPayload(2, 0, 0); }, {status + "正在下载…"}, "kind 2"},
        {1127,
         [] { return ProgressPayload(3, 2, 0); },
         {status + "正在下载…，还需2小时"},
         "kind 3 with the hours"},
        {1127,
         [] { return ProgressPayload(4, 17, 0); },
         {status + "正在下载…，还需17分钟"},
         "kind 4 with the minutes"},
        {1127,
         [] { return ProgressPayload(5, 59, 0); },
         {status + "正在下载…，还需59秒"},
         "kind 5 with the seconds"},
        {1127, [] { return ProgressPayload(6, 0, 0); }, {status + "下载完毕。"}, "kind 6"},
        {1127, [] { return ProgressPayload(7, 0, 0); }, {status + "安装准备中…"}, "kind 7"},
        {1127, [] { return ProgressPayload(8, 0, 0); }, {status + "正在安装…"}, "kind 8"},
        {1127, [] { return ProgressPayload(9, 0, 0); }, {status + "安装完毕。"}, "kind 9"},
        {1127,
         [] { return ProgressPayload(5, 30, 45); },
         {status + "正在下载…，还需30秒", "anim off", "pos 45"},
         "a non-zero percent stops the runner and moves the bar"},
        {1127, [] { return ProgressPayload(0, 0, 50); }, {}, "kind 0: neither text nor bar"},
        {1127, [] { return ProgressPayload(10, 0, 50); }, {}, "kind 10: neither text nor bar"},
        {1127, [] { return intptr_t{0}; }, {}, "a missing payload is ignored"},
        {1128, [] { return BusyPayload(true); }, {"anim on"}, "the runner starts"},
        {1128, [] { return BusyPayload(false); }, {"anim off"}, "the runner stops"},
        {1128, [] { return intptr_t{0}; }, {}, "a missing payload is ignored"},
    };
    for (const auto& c : cases) {
        calls_.clear();
        view_.Preset(kCtrlStatus, L"下载准备中…");
        EXPECT_TRUE(dlg_.HandleMessage(c.message, c.payload())) << c.why;
        EXPECT_EQ(c.expected, calls_) << c.why;
    }
    EXPECT_FALSE(shared_.m_bNeedExit);
    EXPECT_FALSE(shared_.m_bHasExited);
}

TEST_F(DlgTest, EqualStatusTextsInARowChangeTheLineOnce) {
    dlg_.HandleMessage(1127, ProgressPayload(5, 9, 0));
    dlg_.HandleMessage(1125, TextPayload(L"正在下载…，还需9秒"));
    dlg_.HandleMessage(1127, ProgressPayload(5, 9, 60));
    EXPECT_EQ((Calls{"text 1003 正在下载…，还需9秒", "anim off", "pos 60"}), calls_);
}

TEST_F(DlgTest, OtherMessagesAreLeftToTheFrontEnd) {
    EXPECT_FALSE(dlg_.HandleMessage(1123, 0));
    EXPECT_FALSE(dlg_.HandleMessage(1130, 0));
    EXPECT_TRUE(calls_.empty());
}

TEST_F(DlgTest, StopRequestHidesAndAsksTheWorkerToStopWithoutATimer) {
    EXPECT_TRUE(dlg_.HandleMessage(1129, 0));
    EXPECT_EQ((Calls{"hide"}), calls_);
    EXPECT_TRUE(shared_.m_bNeedExit);
    EXPECT_FALSE(shared_.m_bUserExit);
    EXPECT_EQ(std::string(), log_.Text()) << "1129 writes no log line";
}

TEST_F(DlgTest, InitialisationPreparesTheControlsThenStartsTheWorker) {
    shared_.m_iStatusCode = 7;
    shared_.m_bNeedExit = true;
    dlg_.OnInitDialog([this] { calls_.push_back("worker"); });
    EXPECT_EQ((Calls{"show 1006 0", "show 1009 0", "show 1007 0", "show 1008 0", "anim on",
                     "text 1003 下载准备中…", "worker"}),
              calls_);
    EXPECT_EQ(0, shared_.m_iStatusCode);
    EXPECT_FALSE(shared_.m_bNeedExit);
}

TEST_F(DlgTest, MinimiseAndHelpLogTheirNames) {
    dlg_.OnBnClickedButtonMini();
    dlg_.OnBnClickedButtonHelp();
    EXPECT_EQ((Calls{"minimise", "url https://help.example/?sourceType=2"}), calls_);
    const std::string log = log_.Text();
    EXPECT_NE(std::string::npos,
              log.find("FILE:vorlininstallerdlg.cpp-CVorlinInstallerDlg::OnBnClickedButtonMini-("))
        << log;
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonMini\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonHelp\n"));
}

TEST_F(DlgTest, MessageFilterSwallowsKeysAndRoutesCloseRequestsToTheCloseGlyph) {
    struct {
        FilterEvent event;
        uintptr_t wParam;
        bool swallowed;
        bool closes;
        const char* logLine;
        const char* why;
    } cases[] = {
        {FilterEvent::kKeyDown, 27, true, false, nullptr, "Escape never ends the dialog"},
        {FilterEvent::kKeyDown, 13, true, false, nullptr, "Enter never ends the dialog"},
        {FilterEvent::kKeyDown, 65, false, false, nullptr, "other keys go on"},
        {FilterEvent::kSysCommand, 0xF060, true, true, "OUT:INFO:user trigger SC_CLOSE event\n",
         "the system close"},
        {FilterEvent::kSysCommand, 0xF062, true, true, "OUT:INFO:user trigger SC_CLOSE event\n",
         "the low four bits of a system command are the system's"},
        {FilterEvent::kSysCommand, 0xF020, false, false, nullptr, "minimise goes on"},
        {FilterEvent::kCommand, 2, true, true, "OUT:INFO:user trigger WM_DESTROY event\n",
         "the cancel command (Alt+F4, taskbar Close)"},
        {FilterEvent::kCommand, 1, false, false, nullptr, "OK goes on"},
        {FilterEvent::kOther, 2, false, false, nullptr, "anything else goes on"},
    };
    for (const auto& c : cases) {
        ViewsTest::FakeWindow w;
        TestSupport::LogCapture log;
        EXPECT_EQ(c.swallowed, w.dlg.PreTranslateMessage(c.event, c.wParam)) << c.why;
        EXPECT_EQ(c.closes, w.shared.m_bUserExit.load()) << c.why;
        const Calls expected = c.closes ? Calls{"hide", "timer+ 2 120000"} : Calls{};
        EXPECT_EQ(expected, w.calls) << c.why;
        if (c.logLine != nullptr) {
            EXPECT_EQ(1u, log.Count(c.logLine)) << c.why;
            EXPECT_EQ(1u, log.Count("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonExit\n"))
                << c.why;
        } else {
            EXPECT_EQ(std::string(), log.Text()) << c.why;
        }
    }
}

}  // namespace
