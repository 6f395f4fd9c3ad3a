#include "tests/support/running_program_win.h"

#include <vector>

namespace TestSupport {

RunningProgram::RunningProgram(const std::wstring& program, const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (process_ == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

bool RunningProgram::WaitForExit(DWORD ms, DWORD& code) {
    if (process_ == nullptr || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process_, &code) != FALSE;
}

HWND RunningProgram::WaitForWindow(const wchar_t* className, bool messageOnly, bool visibleOnly,
                                   DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        HWND window = nullptr;
        while ((window = FindWindowExW(messageOnly ? HWND_MESSAGE : nullptr, window, className,
                                       nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == id_ && (!visibleOnly || IsWindowVisible(window))) {
                return window;
            }
        }
        DWORD code = 0;
        if (WaitForExit(50, code)) {
            return nullptr;  // it ended without the window
        }
    } while (GetTickCount64() < deadline);
    return nullptr;
}

}  // namespace TestSupport
