// Linux only: the full installer is given this program's process id for its
// stop request (SIGUSR1), and only while the program handles that signal.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "services/launch.h"

namespace {

void Ignore(int) {}

TEST(StopRequestTargetPosix, IsThisProcessOnlyWhileItHandlesSigusr1) {
    struct sigaction saved {};
    ASSERT_EQ(0, sigaction(SIGUSR1, nullptr, &saved));
    const struct {
        void (*handler)(int);
        intptr_t expected;
        const char* why;
    } cases[] = {
        {SIG_DFL, 0, "the default action would end this program"},
        {SIG_IGN, 0, "an ignored request would stop nothing"},
        {Ignore, static_cast<intptr_t>(getpid()), "a handler: the process id"},
    };
    for (const auto& c : cases) {
        struct sigaction action {};
        action.sa_handler = c.handler;
        sigemptyset(&action.sa_mask);
        ASSERT_EQ(0, sigaction(SIGUSR1, &action, nullptr));
        EXPECT_EQ(c.expected, StopRequestTarget()) << c.why;
    }
    sigaction(SIGUSR1, &saved, nullptr);
}

}  // namespace
