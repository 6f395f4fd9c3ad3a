#include <windows.h>

#include <atomic>
#include <cstdio>

#include "services/notify.h"
#include "services/pipeline_config.h"
#include "views/exit_services.h"
#include "views/headless_frontend.h"
#include "views/process_end.h"
#include "views/queue_loop.h"
#include "views/vorlininstallerdlg.h"
#include "views/win32/hwnd_link.h"

namespace {

constexpr wchar_t kClassName[] = L"TavoInstallerHeadless";

std::atomic<HWND> g_window{nullptr};

// Runs on a thread of its own that the system starts: post and return.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    PostMessageW(g_window.load(), kMsgConsoleInterrupt, 0, 0);
    return TRUE;
}

// The program is a GUI program: started from a console without redirected
// output it has no standard error of its own, and the console text goes to
// the console it was started from, if there is one.
void UseParentConsole() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if ((error != nullptr && error != INVALID_HANDLE_VALUE) ||
        !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        SetStdHandle(STD_ERROR_HANDLE, console);
    }
}

}  // namespace

int RunHeadlessFrontEnd() {
    UseParentConsole();
    EnsureSingleInstanceOnConsole();
    ParseCommandLine();
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kClassName;
    RegisterClassW(&cls);
    const HWND hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      cls.hInstance, nullptr);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "cannot create the message window (%lu)\n", GetLastError());
        return 1;
    }
    // The worker's messages reach this thread through a message-only window,
    // as they would reach the dialog; the full installer can post 1129 to
    // the same handle. Never destroyed: the worker may post and read the
    // shared members until the very end of the process.
    static HwndWindowLink& link = *new HwndWindowLink;
    link.SetWindow(hwnd);
    SetMainWindow(&link);
    g_window = hwnd;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    ConsoleHost host;
    // With a window, SetTimer promises only a non-zero result; WM_TIMER
    // carries the id given here.
    host.startTimer = [hwnd](uintptr_t id, uint32_t ms) -> uintptr_t {
        return SetTimer(hwnd, id, ms, nullptr) != 0 ? id : 0;
    };
    host.killTimer = [hwnd](uintptr_t id) { ::KillTimer(hwnd, id); };
    host.endProcess = EndProcessNow;
    ConsoleView view(StderrConsoleOutput(), host);
    CVorlinInstallerDlg dlg(view, link.Shared(), DefaultExitServices(), DefaultHelpUrl);
    dlg.OnInitDialog(StartWorkerThread);

    MSG msg{};
    while (!dlg.Ending() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd != hwnd) {
            DispatchMessageW(&msg);
        } else if (msg.message == WM_TIMER) {
            dlg.OnTimer(static_cast<uintptr_t>(msg.wParam));
        } else if (msg.message == kMsgConsoleInterrupt) {
            dlg.OnBnClickedButtonExit();
        } else if (IsForgedWorkerMessage(msg.message, static_cast<uintptr_t>(msg.wParam))) {
            // Posted by another process: its payload is not ours to touch.
        } else if (!dlg.HandleMessage(msg.message, static_cast<intptr_t>(msg.lParam))) {
            DispatchMessageW(&msg);
        }
        if (!dlg.Ending()) {
            CloseWhenWaitingForUser(dlg);
        }
    }
    return 0;
}
