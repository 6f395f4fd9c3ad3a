#include <windows.h>

#include <sddl.h>

#include <vector>

#include "utils/system/private_dir.h"

namespace Utils {

namespace {

// The current user's SID as text ("S-1-5-21-..."), or "".
std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::wstring text;
    if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(user->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

}  // namespace

std::wstring PrivateDirectorySddl() {
    const std::wstring sid = CurrentUserSid();
    // Owned by the user; one entry, full access for the user, inherited by
    // files and folders inside; protected from the parent's entries.
    return sid.empty() ? std::wstring() : L"O:" + sid + L"D:P(A;OICI;FA;;;" + sid + L")";
}

bool CreatePrivateDirectory(const std::wstring& path) {
    const std::wstring sddl = PrivateDirectorySddl();
    if (sddl.empty()) {
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
    const BOOL created = CreateDirectoryW(path.c_str(), &attributes);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return created != 0;
}

bool SafeParentDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace Utils
