#include <windows.h>

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/identity.h"
#include "utils/system/localtime.h"
#include "utils/system/sid_win.h"

namespace Utils {

void ToLocalTime(std::time_t time, std::tm& out) {
    localtime_s(&out, &time);
}

bool RandomUuid(std::wstring& out) {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) {
        LOG_ERROR("RandomUuid failed.", "\n", SystemErrorToStringA(LastSystemError()));
        return false;
    }
    out = FormatGuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
    return true;
}

bool GetAccountSid(const std::wstring& accountName, BYTE (&sid)[68]) {
    DWORD sidSize = sizeof sid;
    std::vector<wchar_t> domain(128);
    DWORD domainSize = static_cast<DWORD>(domain.size());
    SID_NAME_USE use{};
    if (LookupAccountNameW(nullptr, accountName.c_str(), sid, &sidSize, domain.data(), &domainSize,
                           &use)) {
        return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || sidSize > sizeof sid) {
        return false;
    }
    if (domainSize > domain.size()) {
        domain.resize(domainSize);
    }
    domainSize = static_cast<DWORD>(domain.size());
    return LookupAccountNameW(nullptr, accountName.c_str(), sid, &sidSize, domain.data(),
                              &domainSize, &use) != FALSE;
}

std::wstring SidToString(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    std::wstring result(text);
    LocalFree(text);
    return result;
}

int GetMachineSID(std::wstring& out) {
    wchar_t name[16] = {};
    DWORD size = 16;
    if (!GetComputerNameW(name, &size)) {
        return 20;
    }
    BYTE sid[68] = {};
    if (!GetAccountSid(name, sid)) {
        return 21;
    }
    out = SidToString(reinterpret_cast<PSID>(sid));
    return 0;
}

int GetOSBits() {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    SYSTEM_INFO info{};
    const HMODULE kernel = GetModuleHandleW(L"kernel32");
    const auto native = kernel != nullptr
                            ? reinterpret_cast<GetNativeSystemInfoFn>(reinterpret_cast<void*>(
                                  GetProcAddress(kernel, "GetNativeSystemInfo")))
                            : nullptr;
    if (native != nullptr) {
        native(&info);
    } else {
        GetSystemInfo(&info);
    }
    const WORD arch = info.wProcessorArchitecture;
    return arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64 ? 64 : 32;
}

bool GetLocalAppDataPath(std::wstring& out) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return false;
    }
    out = buffer;
    return true;
}

}  // namespace Utils
