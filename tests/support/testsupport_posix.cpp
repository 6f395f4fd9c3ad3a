#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"

namespace TestSupport {

bool PrivateToUser(const std::wstring& path, std::string& why) {
    struct stat st {};
    if (lstat(Utils::WideToUtf8(path).c_str(), &st) != 0) {
        why = "no such folder";
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 07777) != 0700) {
        char text[64];
        std::snprintf(text, sizeof text, "mode %o, owner %u", st.st_mode & 07777,
                      static_cast<unsigned>(st.st_uid));
        why = text;
        return false;
    }
    return true;
}

std::wstring ProgramSuffix() {
    return L"";
}

std::string NativeLineEnd() {
    return "\n";
}

std::wstring TempBase() {
    const char* base = std::getenv("TAVO_TEST_TMP");
    return Utils::Utf8ToWide(base != nullptr && *base != '\0' ? base : "/tmp");
}

void SetEnv(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
    unsetenv(name.c_str());
}

namespace detail {

std::wstring NewRegistryRoot(const TempDir& dir) {
    return dir.Child(L"HKEY_CURRENT_USER");
}

void DropRegistryRoot(const std::wstring& /*root*/) {
    // The folder goes with its TempDir.
}

}  // namespace detail

}  // namespace TestSupport
