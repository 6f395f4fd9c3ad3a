#include "tests/support/running_program_win.h"

#include <vector>

namespace TestSupport {

RunningProgram::RunningProgram(const std::wstring& program, const std::wstring& commandLine,
                               const std::wstring& stderrFile) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE errorFile = INVALID_HANDLE_VALUE;
    if (!stderrFile.empty()) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        errorFile = CreateFileW(stderrFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errorFile;
    }
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const BOOL created =
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr,
                       errorFile != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup, &info);
    if (errorFile != INVALID_HANDLE_VALUE) {
        CloseHandle(errorFile);
    }
    if (created) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (process_ == nullptr) {
        return;
    }
    Kill();
    CloseHandle(process_);
}

bool RunningProgram::WaitForExit(DWORD ms, DWORD& code) {
    if (process_ == nullptr || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process_, &code) != FALSE;
}

void RunningProgram::Kill() {
    if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 10000);
    }
}

HWND RunningProgram::WaitForWindow(const wchar_t* className, const wchar_t* title, bool messageOnly,
                                   bool visibleOnly, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        HWND window = nullptr;
        while ((window = FindWindowExW(messageOnly ? HWND_MESSAGE : nullptr, window, className,
                                       title)) != nullptr) {
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
