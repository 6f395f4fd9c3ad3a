// Linux tests: programs started by a test and watched to their end.
// One test thread uses these; the child programs run on their own.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace TestSupport {

// Milliseconds a test waits at most for something a child program must do
// (a window, an exit): generous, since sanitizer builds start slowly. Never
// a measure of speed.
inline constexpr int kGuiPatienceMs = 60000;

// posix_spawnp of `argv` with the test's environment plus `environment`
// (an empty value removes the variable) and `fileActions` (may be null).
// The child's id, or -1.
pid_t SpawnProgram(std::vector<std::string> argv,
                   const std::map<std::string, std::string>& environment,
                   posix_spawn_file_actions_t* fileActions);

// Asks `done` every 20 ms until it says yes or `timeoutMs` have passed;
// returns its last answer.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// A program started by the test, with the test's environment plus
// `environment` (name to value; an empty value removes the variable).
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment);
    // Kills the child (SIGKILL) if it still runs, and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // Waits up to `timeoutMs` for the child's end. True with its exit code
    // (the low byte read as signed, so exit(-1) gives -1; a signal gives
    // 128 + its number).
    bool Wait(int timeoutMs, int& exitCode);
    bool Running();
    void Signal(int signal);

  private:
    pid_t m_pid = -1;
    bool m_reaped = false;
};

// Runs a program to its end and returns what it wrote on stdout; false
// when it could not be run or did not end with 0.
bool RunForOutput(const std::vector<std::string>& argv, std::string& output);

// Whether the program `name` is found on PATH.
bool OnPath(const std::string& name);

}  // namespace TestSupport
