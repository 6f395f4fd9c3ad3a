#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <random>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/private_dir.h"
#include "utils/system/registry.h"

namespace TestSupport {

namespace {

std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return "?";
    }
    const std::string out = Utils::WideToUtf8(text);
    LocalFree(text);
    return out;
}

std::string CurrentUserSidText() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return "?";
    }
    BYTE buffer[256] = {};
    DWORD size = 0;
    std::string out = "?";
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        out = SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    }
    CloseHandle(token);
    return out;
}

// Judges a security descriptor: a protected access list with one entry,
// for the current user.
bool UserOnly(PSECURITY_DESCRIPTOR descriptor, std::string& why) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const std::string user = CurrentUserSidText();
    bool ok = dacl != nullptr && (control & SE_DACL_PROTECTED) != 0 && dacl->AceCount == 1;
    why = "protected " + std::to_string((control & SE_DACL_PROTECTED) != 0) + ", entries " +
          std::to_string(dacl != nullptr ? dacl->AceCount : -1);
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) {
            ok = false;
            continue;
        }
        const auto* header = static_cast<ACE_HEADER*>(ace);
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        const std::string sid = header->AceType == ACCESS_ALLOWED_ACE_TYPE
                                    ? SidText(reinterpret_cast<PSID>(&allowed->SidStart))
                                    : "(not an allow entry)";
        why += ", " + sid;
        ok = ok && sid == user;
    }
    why += " (user " + user + ")";
    return ok;
}

// Wine 8 takes the security descriptor a folder is created with and keeps
// none: what it reads back is a default list. Measured once per process.
bool SystemKeepsAccessLists() {
    static const bool keeps = [] {
        const std::wstring probe =
            TempBase() + L"\\tavo-acl-probe-" + std::to_wstring(GetCurrentProcessId());
        if (!Utils::CreatePrivateDirectory(probe)) {
            return true;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        PACL dacl = nullptr;
        bool kept = false;
        if (GetNamedSecurityInfoW(probe.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS) {
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            GetSecurityDescriptorControl(descriptor, &control, &revision);
            kept = (control & SE_DACL_PROTECTED) != 0;
            LocalFree(descriptor);
        }
        RemoveDirectoryW(probe.c_str());
        return kept;
    }();
    return keeps;
}

}  // namespace

bool PrivateToUser(const std::wstring& path, std::string& why) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        why = "no such folder";
        return false;
    }
    if (!SystemKeepsAccessLists()) {
        // The folder's own list cannot be read back here: the descriptor it
        // was created with is judged instead.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
                Utils::PrivateDirectorySddl().c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
            why = "no descriptor";
            return false;
        }
        const bool ok = UserOnly(descriptor, why);
        why += " (the descriptor given: this system keeps no access lists of files)";
        LocalFree(descriptor);
        return ok;
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                           nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (rc != ERROR_SUCCESS) {
        why = "GetNamedSecurityInfoW failed: " + std::to_string(rc);
        return false;
    }
    const bool ok = UserOnly(descriptor, why);
    LocalFree(descriptor);
    return ok;
}

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
