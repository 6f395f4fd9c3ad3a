#include <windows.h>

#include <algorithm>
#include <vector>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/process.h"
#include "utils/system/process_log.h"

namespace Utils {

int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments) {
    HeldFile none;
    return ExecutExeAtNewProcess(program, arguments, none);
}

int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments,
                          HeldFile& held) {
    LOG_ENTRY();
    DWORD exitCode = static_cast<DWORD>(-2);
    if (arguments.size() >= kCommandLineCapacity) {
        // Cutting the text would hand the child a different command line.
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        TAVO_LOG_PROCESS_START_FAILURE(program, arguments);
        return -1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> buffer(kCommandLineCapacity, L'\0');
    std::copy(arguments.begin(), arguments.end(), buffer.begin());
    wchar_t* commandLine = arguments.empty() ? nullptr : buffer.data();
    const BOOL created = CreateProcessW(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &info);
    const DWORD error = GetLastError();
    held.Release();
    if (!created) {
        SetLastError(error);
        TAVO_LOG_PROCESS_START_FAILURE(program, arguments);
        return -1;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    const int code = static_cast<int>(exitCode);
    if (code != -1) {
        return code;
    }
    ReportFault("system-1", 900, "dwExitCode==-1", false);
    return -1;
}

bool StartPrcess(std::wstring program) {
    LOG_ENTRY();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    // Nothing of this program uses the handles.
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return true;
}

bool MakeOwnerExecutable(const std::wstring&) {
    // Whether a file may run is not a permission bit here.
    return true;
}

}  // namespace Utils
