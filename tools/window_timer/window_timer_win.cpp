// tavo-window-timer: measures the Windows program's window for
// bench/window-win.
//
//   tavo-window-timer <program.exe> [arguments...]
//       Starts the program and prints {"shownMs":...} once its main window
//       ("Tavo浏览器安装程序") is visible: the time from the start call on.
//       Then waits for a line on standard input (the bench measures the
//       waiting window meanwhile), posts the stop request (message 1129) to
//       the window and prints {"exitCode":...} once the program has ended.
//   tavo-window-timer --baseline
//       The same start-to-shown time for a program that shows nothing but a
//       message box of that title (this program with --show-box): the floor
//       that Wine itself sets. Prints {"shownMs":...}.
//
// Exit code 0, or 1 with a line on stderr.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kTitle[] = L"Tavo浏览器安装程序";
constexpr UINT kMsgStopRequest = 1129;

HWND VisibleWindowOf(DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", kTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// Starts `program` with `line` and waits for its window; false when the
// program ended first.
bool StartAndWait(const wchar_t* program, std::wstring line, PROCESS_INFORMATION& info,
                  HWND& window, double& shownMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    LARGE_INTEGER frequency, start, shown;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        std::fprintf(stderr, "tavo-window-timer: cannot start the program (%lu)\n", GetLastError());
        return false;
    }
    while ((window = VisibleWindowOf(info.dwProcessId)) == nullptr) {
        if (WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "tavo-window-timer: the program ended without a window\n");
            return false;
        }
    }
    QueryPerformanceCounter(&shown);
    shownMs = static_cast<double>(shown.QuadPart - start.QuadPart) * 1000.0 /
              static_cast<double>(frequency.QuadPart);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--show-box") {
        MessageBoxW(nullptr, L"", kTitle, MB_OK);
        return 0;
    }
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    double shownMs = 0;
    if (argc == 2 && std::wstring(argv[1]) == L"--baseline") {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (!StartAndWait(self, L"tavo-window-timer --show-box", info, window, shownMs)) {
            return 1;
        }
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        WaitForSingleObject(info.hProcess, 10000);
        std::printf("{\"shownMs\":%.1f}\n", shownMs);
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavo-window-timer <program.exe> [args...] | --baseline\n");
        return 1;
    }
    std::wstring line = L"TavoInstaller";
    for (int i = 2; i < argc; ++i) {
        line += L" ";
        line += argv[i];
    }
    if (!StartAndWait(argv[1], line, info, window, shownMs)) {
        return 1;
    }
    std::printf("{\"shownMs\":%.1f}\n", shownMs);
    std::fflush(stdout);

    char go[16];
    if (std::fgets(go, sizeof go, stdin) == nullptr) {
        // No bench on the other end: stop at once.
    }
    PostMessageW(window, kMsgStopRequest, 0, 0);
    DWORD code = 12345;
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    } else {
        TerminateProcess(info.hProcess, 99);
    }
    std::printf("{\"exitCode\":%ld}\n", static_cast<long>(code));
    return 0;
}
