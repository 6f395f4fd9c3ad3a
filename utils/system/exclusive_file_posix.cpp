#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "utils/log/textconv.h"
#include "utils/system/exclusive_file.h"

namespace Utils {

ExclusiveFile::~ExclusiveFile() {
    Close();
}

bool ExclusiveFile::Create(const std::wstring& path) {
    Close();
    int fd;
    do {
        fd = open(WideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    handle_ = static_cast<std::uintptr_t>(fd);
    return true;
}

bool ExclusiveFile::Write(const char* data, size_t size) {
    if (!isOpen()) {
        SetLastSystemError(EBADF);
        return false;
    }
    while (size > 0) {
        const ssize_t n = write(static_cast<int>(handle_), data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ExclusiveFile::Close() {
    if (!isOpen()) {
        return true;
    }
    const int fd = static_cast<int>(handle_);
    handle_ = kClosed;
    return close(fd) == 0;
}

uint32_t DiskFullErrorCode() {
    return ENOSPC;
}

}  // namespace Utils
