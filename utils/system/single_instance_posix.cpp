#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "utils/log/textconv.h"
#include "utils/system/single_instance.h"

namespace Utils {

namespace {

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// XDG_RUNTIME_DIR belongs to the user alone; the temporary folder is shared,
// so the file name there carries the user id.
std::string LockFilePath(const std::wstring& name) {
    const std::string file = WideToUtf8(name);
    if (const char* runtime = NonEmptyEnv("XDG_RUNTIME_DIR")) {
        return std::string(runtime) + "/" + file + ".lock";
    }
    const char* tmp = NonEmptyEnv("TMP");
    if (tmp == nullptr) {
        tmp = NonEmptyEnv("TMPDIR");
    }
    return std::string(tmp != nullptr ? tmp : "/tmp") + "/" + file + "-" +
           std::to_string(getuid()) + ".lock";
}

}  // namespace

bool AcquireSingleInstance(const std::wstring& name) {
    const std::string path = LockFilePath(name);
    // O_NOFOLLOW: a link planted in a shared folder cannot make this program
    // create or lock a file elsewhere. A file another user owns cannot be
    // opened for writing: the check is then skipped, as when no lock exists.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return true;
    }
    int rc = 0;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        return true;  // the descriptor stays open until the process ends
    }
    const bool heldElsewhere = errno == EWOULDBLOCK;
    close(fd);
    return !heldElsewhere;
}

}  // namespace Utils
