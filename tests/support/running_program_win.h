// Windows tests: a program of the build running beside the test, started
// without waiting, for tests that talk to it while it runs (messages to its
// window, a second copy). Killed when the object goes away, if still running.
#pragma once

#include <windows.h>

#include <string>

namespace TestSupport {

class RunningProgram {
  public:
    // Starts `program` with `commandLine` as its whole command line; it
    // inherits this process's environment. started() says whether it runs.
    RunningProgram(const std::wstring& program, const std::wstring& commandLine);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }

    // Waits up to `ms` for the program to end; true with its exit code in
    // `code` when it did.
    bool WaitForExit(DWORD ms, DWORD& code);

    // The first top-level or message-only window of the program whose class
    // is `className`, waiting up to `ms` for it to appear; null when none
    // did. `visibleOnly`: only a visible top-level window counts.
    HWND WaitForWindow(const wchar_t* className, bool messageOnly, bool visibleOnly, DWORD ms);

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

}  // namespace TestSupport
