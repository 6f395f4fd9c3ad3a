#include "tests/support/test_service.h"

#include <windows.h>

#include "utils/log/textconv.h"

namespace TestSupport {

namespace detail {

std::unique_ptr<TestService::Backend> StartLocalService(std::string& error) {
    error =
        "TAVO_DEVSERVICE_URL is not set: run this test through ctest, whose devservice fixture "
        "starts the native service";
    return nullptr;
}

}  // namespace detail

std::string TestService::ServicePath(const std::wstring& localPath) {
    // Wine's own export; on Windows proper there is no Unix path to give.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) {
        return Utils::WideToUtf8(localPath);
    }
    char* name = unixName(localPath.c_str());
    if (name == nullptr) {
        return Utils::WideToUtf8(localPath);
    }
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

}  // namespace TestSupport
