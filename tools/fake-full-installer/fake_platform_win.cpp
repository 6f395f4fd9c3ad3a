#include <windows.h>

#include <cstdlib>

#include "tools/fake-full-installer/fake_installer.h"
#include "utils/log/textconv.h"

namespace FakeInstaller {

std::wstring RawCommandLine() {
    return GetCommandLineW();
}

bool SendStopRequest(int64_t target) {
    // 1129 (WM_USER + 105): the window's stop request.
    return PostMessageW(reinterpret_cast<HWND>(static_cast<intptr_t>(target)), WM_USER + 105, 0,
                        0) != FALSE;
}

std::string Environment(const char* name) {
    // The wide environment: the narrow one holds the ANSI code page's text.
    const wchar_t* value = _wgetenv(Utils::Utf8ToWide(name).c_str());
    return value != nullptr ? Utils::WideToUtf8(value) : std::string();
}

}  // namespace FakeInstaller
