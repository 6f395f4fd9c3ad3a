// tavo-devservice: runs the development service until SIGINT or SIGTERM.
// The first line on stdout is "port <n>"; see options.cpp for the options.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/devservice/dev_service.h"
#include "tools/devservice/options.h"

namespace {

// Writes the port to `path` through a temporary file, so that a reader
// never sees half a number.
bool WritePortFile(const std::string& path, int port) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << port << '\n';
        if (!out) {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    DevService::CommandLine commandLine;
    std::string error;
    if (!DevService::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), commandLine,
                                  error)) {
        std::fprintf(stderr, "tavo-devservice: %s\n%s", error.c_str(),
                     DevService::UsageText().c_str());
        return 2;
    }
    if (commandLine.help) {
        std::fputs(DevService::UsageText().c_str(), stdout);
        return 0;
    }

    // The serving threads inherit this mask, so the stop signals reach only
    // the sigwait below; a client that goes away must not end the process.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DevService::Service service(commandLine.options);
    const int port = service.Start(error);
    if (port < 0) {
        std::fprintf(stderr, "tavo-devservice: %s\n", error.c_str());
        return 1;
    }
    std::printf("port %d\n", port);
    std::fflush(stdout);
    if (!commandLine.portFile.empty() && !WritePortFile(commandLine.portFile, port)) {
        std::fprintf(stderr, "tavo-devservice: cannot write %s\n", commandLine.portFile.c_str());
        return 1;
    }

    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    service.Stop();
    if (!commandLine.portFile.empty()) {
        unlink(commandLine.portFile.c_str());
    }
    return 0;
}
