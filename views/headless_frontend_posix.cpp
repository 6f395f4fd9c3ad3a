#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "views/exit_services.h"
#include "views/headless_frontend.h"
#include "views/process_end.h"
#include "views/queue_loop.h"
#include "views/vorlininstallerdlg.h"

namespace {

int g_interruptPipe[2] = {-1, -1};

// The bytes the signal handler writes.
constexpr char kByteInterrupt = 1;  // SIGINT
constexpr char kByteStop = 2;       // SIGUSR1

// Signal handler: only async-signal-safe calls.
void OnInterrupt(int signal) {
    const int saved = errno;
    const char byte = signal == SIGUSR1 ? kByteStop : kByteInterrupt;
    if (write(g_interruptPipe[1], &byte, 1) < 0) {
        // The pipe is full: an interrupt is already pending.
    }
    errno = saved;
}

// Ctrl+C (SIGINT) becomes kMsgConsoleInterrupt on `queue`, and SIGUSR1 the
// outside stop request 1129, as in the GTK front end: the handler writes a
// byte to a pipe, a thread reads it and posts. A handler rather than a
// blocked signal, because a blocked mask is inherited by the full installer
// that the worker starts, and a caught signal is reset to its default there.
void ForwardInterrupts(MessageQueue& queue) {
    if (pipe2(g_interruptPipe, O_CLOEXEC) != 0) {
        return;  // Ctrl+C then ends the process the default way
    }
    fcntl(g_interruptPipe[1], F_SETFL, O_NONBLOCK);
    const int readEnd = g_interruptPipe[0];
    std::thread([&queue, readEnd] {
        for (;;) {
            char byte = 0;
            const ssize_t n = read(readEnd, &byte, 1);
            if (n == 1) {
                queue.Post(byte == kByteStop ? kMsgStopRequest : kMsgConsoleInterrupt, 0);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
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
    // the very end of the process. Its handle is the process id, to which
    // the full installer sends SIGUSR1.
    static MessageQueue& queue = *new MessageQueue(static_cast<intptr_t>(getpid()));
    SetMainWindow(&queue);
    ForwardInterrupts(queue);

    const LoopClock clock = SteadyLoopClock();
    TimerTable timers;
    ConsoleHost host;
    host.startTimer = [&timers, &clock](uintptr_t id, uint32_t ms) {
        return timers.Start(id, ms, clock.nowMs());
    };
    host.killTimer = [&timers](uintptr_t id) { timers.Kill(id); };
    host.endProcess = EndProcessNow;
    ConsoleView view(StderrConsoleOutput(), host);
    CVorlinInstallerDlg dlg(view, queue.Shared(), DefaultExitServices(), DefaultHelpUrl);
    dlg.OnInitDialog(StartWorkerThread);
    RunQueueLoop(queue, dlg, timers, clock);
    return 0;
}
