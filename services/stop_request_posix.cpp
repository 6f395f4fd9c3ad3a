#include <signal.h>
#include <unistd.h>

#include "services/launch.h"

intptr_t StopRequestTarget() {
    // Only a process that turns SIGUSR1 into the window's stop request may be
    // named: the signal's default action would end it.
    struct sigaction current {};
    if (sigaction(SIGUSR1, nullptr, &current) != 0) {
        return 0;
    }
    const bool handled = (current.sa_flags & SA_SIGINFO) != 0
                             ? current.sa_sigaction != nullptr
                             : current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
    return handled ? static_cast<intptr_t>(getpid()) : 0;
}
