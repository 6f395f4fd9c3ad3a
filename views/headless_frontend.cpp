#include "views/headless_frontend.h"

#include <thread>

#include "services/services.h"
#include "utils/log/textconv.h"
#include "views/headless_console.h"
#include "views/process_end.h"
#include "views/startup.h"
#include "views/queue_loop.h"

ConsoleOutput StderrConsoleOutput() {
    ConsoleOutput output;
    output.terminal = StderrIsTerminal();
    output.write = WriteStderr;
    output.nowMs = SteadyNowMs;
    return output;
}

void StartWorkerThread() {
    // Detached: nobody waits for it, and the process end takes it down.
    std::thread(Services::DoWork).detach();
}

void EnsureSingleInstanceOnConsole() {
    EnsureSingleInstance(
        [](const std::wstring& text) { WriteStderr(Utils::WideToUtf8(text) + "\n"); },
        EndProcessNow);
}
