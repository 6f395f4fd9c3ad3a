#include <windows.h>

#include "tools/fake-full-installer/fake_installer.h"

namespace FakeInstaller {

std::wstring RawCommandLine() {
    return GetCommandLineW();
}

bool SendStopRequest(int64_t target) {
    // 1129 (WM_USER + 105): the window's stop request.
    return PostMessageW(reinterpret_cast<HWND>(static_cast<intptr_t>(target)), WM_USER + 105, 0,
                        0) != FALSE;
}

}  // namespace FakeInstaller
