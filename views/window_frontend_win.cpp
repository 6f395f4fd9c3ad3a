#include <windows.h>

#include "views/win32/vorlininstallerapp.h"
#include "views/window_frontend.h"

bool WindowCanOpen() {
    // A window station that is not interactive (a service's) shows no
    // window to anyone.
    USEROBJECTFLAGS flags{};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                  nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) == 0) {
        return false;
    }
    // Without a display (Wine without X) no top-level window can be made.
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

int RunWindowFrontEnd() {
    theApp.InitInstance();
    return theApp.ExitInstance();
}
