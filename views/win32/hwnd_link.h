// The worker's way to a Win32 window: PostMessageW to its handle, with this
// process's worker cookie in wParam so the window can tell the worker's
// messages from those other processes post to the same handle
// (IsForgedWorkerMessage). The handle is what the full installer is given.
#pragma once

#include <windows.h>

#include "services/main_window_link.h"
#include "services/notify.h"

class HwndWindowLink : public MainWindowLink {
  public:
    // Set on the window's thread before the worker starts, never changed
    // afterwards (the thread start orders it before every read).
    void SetWindow(HWND hwnd) { m_hwnd = hwnd; }
    HWND Window() const { return m_hwnd; }

    // Any thread.
    bool Post(uint32_t message, intptr_t payload) override {
        return m_hwnd != nullptr && PostMessageW(m_hwnd, message, WorkerMessageCookie(),
                                                 static_cast<LPARAM>(payload)) != FALSE;
    }
    intptr_t Handle() const override { return reinterpret_cast<intptr_t>(m_hwnd); }

  private:
    HWND m_hwnd = nullptr;
};
