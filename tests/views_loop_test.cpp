// The headless window loop over a MessageQueue: window timers with real
// deadlines (on a fake clock that jumps instead of waiting), Ctrl+C, the
// unattended close after a failure, and one run with a real worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/services.h"
#include "tests/support/testsupport.h"
#include "tests/views_fakes.h"
#include "views/headless_view.h"
#include "views/queue_loop.h"
#include "views/vorlininstallerdlg.h"

namespace {

using ViewsTest::Calls;

TEST(TimerTable, PeriodicPerIdAndRestartedWhenStartedAgain) {
    TimerTable timers;
    uint64_t deadline = 0;
    EXPECT_FALSE(timers.NextDeadline(deadline));
    EXPECT_EQ(0u, timers.Start(0, 10, 0)) << "id 0 is refused";
    EXPECT_EQ(2u, timers.Start(2, 1000, 0));
    EXPECT_EQ(11u, timers.Start(11, 10, 0));
    ASSERT_TRUE(timers.NextDeadline(deadline));
    EXPECT_EQ(10u, deadline);
    EXPECT_TRUE(timers.TakeDue(9).empty());
    EXPECT_EQ((std::vector<uintptr_t>{11}), timers.TakeDue(10));
    EXPECT_EQ((std::vector<uintptr_t>{11, 2}), timers.TakeDue(1005))
        << "earliest deadline first; a late loop fires once";
    timers.Start(2, 1000, 1500);
    timers.Kill(11);
    ASSERT_TRUE(timers.NextDeadline(deadline));
    EXPECT_EQ(2500u, deadline);
    timers.Kill(2);
    EXPECT_FALSE(timers.NextDeadline(deadline));
}

// The headless front end in miniature: queue, loop, console view wired to
// the loop's timers, recording exit services.
class QueueLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reportUrls = {"http://a.example/report"};
        host_.startTimer = [this](uintptr_t id, uint32_t ms) {
            return timers_.Start(id, ms, now_);
        };
        host_.killTimer = [this](uintptr_t id) { timers_.Kill(id); };
        host_.endProcess = [this](int code) { calls_.push_back("end " + std::to_string(code)); };
        output_.write = [this](const std::string& text) { out_ += text; };
        output_.nowMs = [this] { return now_; };
        // Waiting jumps the clock to the end of the wait.
        clock_.nowMs = [this] { return now_; };
        clock_.take = [this](MessageQueue& queue, QueuedMessage& out,
                             std::chrono::milliseconds timeout) {
            if (queue.TryTake(out)) {
                return true;
            }
            waits_.push_back(timeout.count());
            now_ += static_cast<uint64_t>(timeout.count());
            return false;
        };
    }

    MessageQueue queue_;
    TimerTable timers_;
    ConsoleHost host_;
    ConsoleOutput output_;
    LoopClock clock_;
    uint64_t now_ = 1000;
    std::vector<int64_t> waits_;
    std::string out_;
    Calls calls_;
    ViewsTest::FakeExitServices services_{calls_};
    TestSupport::LogCapture log_;
};

TEST_F(QueueLoopTest, CtrlCThenTheForcedEndFiresAfterTwoMinutes) {
    ConsoleView view(output_, host_);
    CVorlinInstallerDlg dlg(view, queue_.Shared(), services_.Make(), nullptr);
    queue_.Shared().SetUuid(L"UUID");
    queue_.Shared().m_iStatusCode = 1013;
    queue_.Post(kMsgConsoleInterrupt, 0);
    RunQueueLoop(queue_, dlg, timers_, clock_);
    EXPECT_EQ((std::vector<int64_t>{120000}), waits_) << "one wait, up to the deadline";
    EXPECT_EQ(
        (Calls{"device", "report http://a.example/report type 0 status 1001 uuid UUID app  os os",
               "flush", "end 0"}),
        calls_);
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnTimer\n"));
}

TEST_F(QueueLoopTest, AStreamOfMessagesDoesNotHoldTheTimerBack) {
    ConsoleView view(output_, host_);
    CVorlinInstallerDlg dlg(view, queue_.Shared(), services_.Make(), nullptr);
    queue_.Shared().SetUuid(L"UUID");
    int steps = 0;
    clock_.take = [&](MessageQueue& queue, QueuedMessage& out, std::chrono::milliseconds) {
        if (queue.TryTake(out)) {
            return true;
        }
        // A progress step every second, never a quiet moment.
        now_ += 1000;
        ++steps;
        out = {kMsgProgress, ViewsTest::ProgressPayload(5, 10, 50)};
        return true;
    };
    queue_.Post(kMsgConsoleInterrupt, 0);
    RunQueueLoop(queue_, dlg, timers_, clock_);
    EXPECT_EQ(120, steps);
    EXPECT_EQ("end 0", calls_.back());
}

TEST_F(QueueLoopTest, FailurePrintsTheErrorAndClosesLikeTheCloseButton) {
    ConsoleView view(output_, host_);
    CVorlinInstallerDlg dlg(view, queue_.Shared(), services_.Make(), nullptr);
    queue_.Shared().SetUuid(L"UUID");
    SetMainWindow(&queue_);
    dlg.OnInitDialog([this] {
        queue_.Shared().m_iStatusCode = 1013;
        NotifyStatus(L"连接服务器失败", 1013);
        NotifyWorkerDone();
    });
    SetMainWindow(nullptr);
    RunQueueLoop(queue_, dlg, timers_, clock_);
    EXPECT_TRUE(waits_.empty()) << "nothing waits for a user";
    EXPECT_EQ("下载准备中…\n连接服务器失败\n", out_);
    EXPECT_EQ(
        (Calls{"device", "report http://a.example/report type 0 status 1013 uuid UUID app  os os",
               "flush", "end 0"}),
        calls_);
    EXPECT_EQ(1u, log_.Count("OUT:INFO:CVorlinInstallerDlg::OnBnClickedButtonClose\n"));
    EXPECT_EQ(1u, log_.Count("OUT:INFO:m_bNeedExit:1\n"));
}

// A real worker thread runs the pipeline on fake stages and posts through
// the queue while this thread runs the window's loop. An outside stop
// request arrives during the download; the download notices it, the worker
// ends, and its final message ends the run.
TEST(HeadlessRun, StopRequestDuringTheDownloadWithARealWorker) {
    TestSupport::LogCapture log;
    ParseCommandLine({L"TavoInstaller", L"--test"});
    MessageQueue queue;
    SetMainWindow(&queue);

    PipelineStages stages;
    stages.getDeviceInfo = [](DeviceInfo&) { return 0; };
    stages.createUuid = [](std::wstring& uuid) {
        uuid = L"UUID";
        return 0;
    };
    stages.uploadCountInfo = [](const std::string&, const DeviceInfo&, const std::wstring&, uint8_t,
                                int32_t, std::wstring) { return 0; };
    stages.requestDownloadUrl = [](const std::string&, const DeviceInfo&, std::string& install,
                                   std::string&, std::wstring&, std::wstring&, std::wstring&,
                                   std::wstring&, DownloadDigests&) {
        install = "http://dl/installer.exe";
        return 0;
    };
    stages.chooseInstallRoot = [] { return std::wstring(); };
    stages.downloadFile = [&queue](const std::string&, const std::wstring&, std::wstring&,
                                   const Utils::HttpExpectedBody&) {
        NotifyProgress(5, 40, 30);
        queue.Post(kMsgStopRequest, 0);  // as the full installer would
        while (!queue.Shared().m_bNeedExit) {
            std::this_thread::yield();  // the progress callback's poll
        }
        return 0x2007;
    };
    stages.excuteVersion = [](const LaunchRequest&) { ADD_FAILURE() << "never launched"; };
    stages.removeDownloadedInstaller = [](const std::wstring&) {};
    PipelineClock pipelineClock;
    pipelineClock.tick = [] { return 0u; };
    pipelineClock.sleep = [](uint32_t) {};

    Calls calls;
    ViewsTest::FakeExitServices services(calls);
    TimerTable timers;
    ConsoleHost host;
    host.startTimer = [&timers](uintptr_t id, uint32_t ms) {
        return timers.Start(id, ms, SteadyNowMs());
    };
    host.killTimer = [&timers](uintptr_t id) { timers.Kill(id); };
    host.endProcess = [&calls](int code) { calls.push_back("end " + std::to_string(code)); };
    std::string out;
    ConsoleOutput output;
    output.write = [&out](const std::string& text) { out += text; };
    output.nowMs = SteadyNowMs;
    ConsoleView view(output, host);
    CVorlinInstallerDlg dlg(view, queue.Shared(), services.Make(), nullptr);

    std::thread worker;
    dlg.OnInitDialog([&] { worker = std::thread(Services::RunPipeline, stages, pipelineClock); });
    RunQueueLoop(queue, dlg, timers, SteadyLoopClock());
    worker.join();
    SetMainWindow(nullptr);

    EXPECT_EQ(
        "下载准备中…\n正在联网…\n正在下载…\n正在下载…，还需40秒\n"
        "正在下载…，还需40秒  [######--------------]   30%\n",
        out)
        << "nothing more once the window is hidden";
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("device", calls[0]);
    EXPECT_EQ(0u, calls[1].find("report ")) << calls[1];
    EXPECT_NE(std::string::npos, calls[1].find(" type 0 status 1015 uuid UUID "))
        << "stopped on request: " << calls[1];
    EXPECT_EQ("flush", calls[2]);
    EXPECT_EQ("end 0", calls[3]);
    EXPECT_EQ(1u, log.Count("OUT:INFO:m_bHasExited:1,m_bNeedExit:1,m_iStatusCode:1015\n"));
}

}  // namespace
