#include <windows.h>

#include <cstdio>
#include <thread>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/services.h"
#include "views/console_frontend.h"

namespace {

// The worker's messages reach this thread through a message-only window:
// PostMessageW to its handle, as they would reach the dialog.
class MessageWindowLink : public MainWindowLink {
  public:
    explicit MessageWindowLink(HWND hwnd) : m_hwnd(hwnd) {}
    bool Post(uint32_t message, intptr_t payload) override {
        return PostMessageW(m_hwnd, message, 0, static_cast<LPARAM>(payload)) != FALSE;
    }
    intptr_t Handle() const override { return reinterpret_cast<intptr_t>(m_hwnd); }

  private:
    HWND m_hwnd;
};

constexpr wchar_t kClassName[] = L"TavoInstallerConsole";

}  // namespace

int RunConsoleFrontEnd() {
    SetConsoleOutputCP(CP_UTF8);
    ParseCommandLine();
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kClassName;
    RegisterClassW(&cls);
    HWND hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                cls.hInstance, nullptr);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "cannot create the message window (%lu)\n", GetLastError());
        return 1;
    }
    MessageWindowLink window(hwnd);
    SetMainWindow(&window);
    std::thread worker(Services::DoWork);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd != hwnd || msg.message < kMsgWorkerDone || msg.message > kMsgBusy) {
            DispatchMessageW(&msg);
            continue;
        }
        if (ShowNotification(msg.message, static_cast<intptr_t>(msg.lParam))) {
            break;
        }
    }
    // 1124 is the worker's last act: the thread is about to end.
    worker.join();
    SetMainWindow(nullptr);
    DestroyWindow(hwnd);
    return 0;
}
