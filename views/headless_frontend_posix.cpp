#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "services/installer_result.h"
#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "views/exit_services.h"
#include "views/headless_frontend.h"
#include "views/process_end.h"
#include "views/queue_loop.h"
#include "views/vorlininstallerdlg.h"

namespace {

int g_signalPipe[2] = {-1, -1};

constexpr char kInterruptByte = 1;
constexpr char kStopRequestByte = 2;

// Signal handler: only async-signal-safe calls.
void OnSignal(int signal) {
    const int saved = errno;
    const char byte = signal == SIGUSR1 ? kStopRequestByte : kInterruptByte;
    if (write(g_signalPipe[1], &byte, 1) < 0) {
        // The pipe is full: the window has plenty to read already.
    }
    errno = saved;
}

// Ctrl+C (SIGINT) becomes kMsgConsoleInterrupt on `queue`, and SIGUSR1, the
// stop request that the full installer sends to the process id it was given
// (Windows posts message 1129 to the window), becomes 1129: the handler
// writes a byte to a pipe, a thread reads it and posts. A handler rather
// than a blocked signal, because a blocked mask is inherited by the full
// installer that the worker starts, and a caught signal is reset to its
// default there. Without the pipe neither signal is caught: Ctrl+C then ends
// the process the default way, and the full installer is given no process
// id to signal (StopRequestTarget).
void ForwardSignals(MessageQueue& queue) {
    if (pipe2(g_signalPipe, O_CLOEXEC) != 0) {
        return;
    }
    fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    const int readEnd = g_signalPipe[0];
    std::thread([&queue, readEnd] {
        for (;;) {
            char byte = 0;
            const ssize_t n = read(readEnd, &byte, 1);
            if (n == 1) {
                queue.Post(byte == kStopRequestByte ? kMsgStopRequest : kMsgConsoleInterrupt, 0);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGUSR1, &action, nullptr);
}

}  // namespace

int RunHeadlessFrontEnd() {
    EnsureSingleInstanceOnConsole();
    ParseCommandLine();
    // Never destroyed: the worker may post and read the shared members until
    // the very end of the process.
    static MessageQueue& queue = *new MessageQueue;
    SetMainWindow(&queue);
    ForwardSignals(queue);

    const LoopClock clock = SteadyLoopClock();
    TimerTable timers;
    ConsoleHost host;
    host.startTimer = [&timers, &clock](uintptr_t id, uint32_t ms) {
        return timers.Start(id, ms, clock.nowMs());
    };
    host.killTimer = [&timers](uintptr_t id) { timers.Kill(id); };
    host.endProcess = EndProcessNow;
    ConsoleView view(StderrConsoleOutput(), host);
    CVorlinInstallerDlg dlg(view, queue.Shared(), DefaultExitServices(), BuildHelpUrl);
    dlg.OnInitDialog(StartWorkerThread);
    RunQueueLoop(queue, dlg, timers, clock);
    return 0;
}
