#include <windows.h>

#include <cstdlib>
#include <random>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/registry.h"

namespace TestSupport {

std::wstring ProgramSuffix() {
    return L".exe";
}

std::string NativeLineEnd() {
    return "\r\n";
}

std::wstring TempBase() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring dir(buffer, n);
    while (!dir.empty() && dir.back() == L'\\') {
        dir.pop_back();
    }
    return dir;
}

void SetEnv(const std::string& name, const std::string& value) {
    _wputenv_s(Utils::Utf8ToWide(name).c_str(), Utils::Utf8ToWide(value).c_str());
}

void UnsetEnv(const std::string& name) {
    _wputenv_s(Utils::Utf8ToWide(name).c_str(), L"");
}

namespace detail {

std::wstring NewRegistryRoot(const TempDir& /*dir*/) {
    std::random_device rd;
    return L"Software\\TavoTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(rd());
}

void DropRegistryRoot(const std::wstring& root) {
    Utils::DeleteRegistryKey(root);
}

}  // namespace detail

}  // namespace TestSupport
