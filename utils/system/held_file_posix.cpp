#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "utils/log/textconv.h"
#include "utils/system/held_file.h"

namespace Utils {

HeldFile::~HeldFile() {
    Release();
}

bool HeldFile::Open(const std::wstring& path) {
    Release();
    int fd;
    do {
        fd = open(WideToUtf8(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    handle_ = static_cast<std::uintptr_t>(fd);
    return true;
}

void HeldFile::Release() {
    if (handle_ != kNone) {
        close(static_cast<int>(handle_));
        handle_ = kNone;
    }
}

}  // namespace Utils
