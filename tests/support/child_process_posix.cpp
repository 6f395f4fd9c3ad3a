#include "tests/support/child_process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace TestSupport {

namespace {

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (extra.count(name) == 0) {
            env.push_back(entry);
        }
    }
    for (const auto& kv : extra) {
        if (!kv.second.empty()) {
            env.push_back(kv.first + "=" + kv.second);
        }
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

}  // namespace

pid_t SpawnProgram(std::vector<std::string> argv, const std::map<std::string, std::string>& extra,
                   posix_spawn_file_actions_t* fileActions) {
    std::vector<std::string> env = MergedEnvironment(extra);
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], fileActions, nullptr, args.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

namespace {

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return static_cast<int8_t>(WEXITSTATUS(status));
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1000;
}

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

using Clock = std::chrono::steady_clock;

bool Expired(Clock::time_point start, int timeoutMs) {
    return Clock::now() - start > std::chrono::milliseconds(timeoutMs);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& environment)
    : m_pid(SpawnProgram(argv, environment, nullptr)) {}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool ChildProcess::Wait(int timeoutMs, int& exitCode) {
    if (m_pid <= 0 || m_reaped) {
        return false;
    }
    const auto start = Clock::now();
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            exitCode = ExitCodeOf(status);
            return true;
        }
        if (done < 0 || Expired(start, timeoutMs)) {
            return false;
        }
        Pause();
    }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
        if (done()) {
            return true;
        }
        if (Expired(start, timeoutMs)) {
            return false;
        }
        Pause();
    }
}

bool ChildProcess::Running() {
    int code = 0;
    return m_pid > 0 && !m_reaped && !Wait(0, code);
}

void ChildProcess::Signal(int signal) {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, signal);
    }
}

bool RunForOutput(const std::vector<std::string>& argv, std::string& output) {
    output.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const pid_t pid = SpawnProgram(argv, {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            output.append(buffer, static_cast<size_t>(n));
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon - start);
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return false;
}

}  // namespace TestSupport
