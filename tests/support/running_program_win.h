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
    // inherits this process's environment, and its standard error goes to
    // the file `stderrFile` when one is named. started() says whether it
    // runs.
    RunningProgram(const std::wstring& program, const std::wstring& commandLine,
                   const std::wstring& stderrFile = L"");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }

    // Waits up to `ms` for the program to end; true with its exit code in
    // `code` when it did.
    bool WaitForExit(DWORD ms, DWORD& code);

    // The first top-level or message-only window of the program whose class
    // is `className` (and whose title is `title`, unless null), waiting up
    // to `ms` for it to appear; null when none did, or when the program
    // ended first. `visibleOnly`: only a visible window counts.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, bool messageOnly,
                       bool visibleOnly, DWORD ms);

    // Ends the program at once (as a crash would) and waits for its end.
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

}  // namespace TestSupport
