#include <sys/stat.h>
#include <unistd.h>

#include "utils/log/textconv.h"
#include "utils/system/private_dir.h"

namespace Utils {

std::wstring PrivateDirectorySddl() {
    return {};
}

bool CreatePrivateDirectory(const std::wstring& path) {
    const std::string utf8 = WideToUtf8(path);
    if (mkdir(utf8.c_str(), 0700) != 0) {
        return false;
    }
    // The creation mode passed through the umask: set it exactly.
    chmod(utf8.c_str(), 0700);
    return true;
}

bool SafeParentDirectory(const std::wstring& path) {
    struct stat st {};
    if (lstat(WideToUtf8(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    if (st.st_uid != geteuid() && st.st_uid != 0) {
        return false;
    }
    const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return !othersWrite || (st.st_mode & S_ISVTX) != 0;
}

}  // namespace Utils
