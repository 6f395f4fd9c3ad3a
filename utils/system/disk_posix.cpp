#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "utils/log/textconv.h"
#include "utils/log/xdg_posix.h"
#include "utils/system/disk.h"
#include "utils/system/private_dir.h"

namespace Utils {

namespace {

constexpr int64_t kHugeFreeSpace = int64_t{1} << 40;

// The record of files to delete at the next start: one UTF-8 path per line.
std::string PendingDeleteRecord() {
    const std::string state = posix::XdgBaseDirectory("XDG_STATE_HOME", ".local/state");
    return state.empty() ? std::string() : state + "/tavo/pending-deletes";
}

void MakeDirectoriesUtf8(const std::string& path) {
    // Every component along the path, the last one included.
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string prefix = path.substr(0, pos);
            if (!prefix.empty() && prefix.back() != '/' && access(prefix.c_str(), F_OK) != 0) {
                mkdir(prefix.c_str(), 0700);
            }
        }
    }
}

}  // namespace

bool CreateUniqueTempDirectory(std::wstring& dir) {
    std::string base = "/tmp";
    for (const char* variable : {"TMP", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            base = value;
            break;
        }
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return CreateUniquePrivateDirectory(Utf8ToWide(base == "/" ? base : base + "/"), dir);
}

void CreateDirectories(const std::wstring& path) {
    const std::string utf8 = WideToUtf8(path);
    if (utf8.empty() || utf8[0] != '/') {
        return;
    }
    MakeDirectoriesUtf8(utf8);
}

bool GetFreeSpace(const std::wstring& dir, int64_t* freeBytes) {
    struct statvfs st {};
    if (statvfs(WideToUtf8(dir).c_str(), &st) != 0) {
        return false;
    }
    if (freeBytes != nullptr) {
        // Blocks times block size: a product beyond 64 bits (file systems
        // that report "unlimited") counts as at or above 2^63 too.
        uint64_t available = 0;
        const bool overflow = __builtin_mul_overflow(
            static_cast<uint64_t>(st.f_bavail), static_cast<uint64_t>(st.f_frsize), &available);
        const auto value = static_cast<int64_t>(available);
        *freeBytes = overflow || value < 0 ? kHugeFreeSpace : value;
    }
    return true;
}

int64_t GetFreeBytes(const std::wstring& dir) {
    int64_t value = -1;
    return GetFreeSpace(dir, &value) ? value : -1;
}

bool DeleteFileOnReboot(const std::wstring& path) {
    if (path.size() >= 260) {
        return false;
    }
    std::string utf8 = WideToUtf8(path);
    const std::string record = PendingDeleteRecord();
    if (utf8.empty() || utf8.find('\n') != std::string::npos || record.empty()) {
        return false;
    }
    if (utf8[0] != '/') {
        // The record is read at the next start, from another current folder:
        // store the path as the system would resolve it now.
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) == nullptr) {
            return false;
        }
        utf8 = std::string(cwd) + (cwd[1] == '\0' ? "" : "/") + utf8;
    }
    MakeDirectoriesUtf8(record.substr(0, record.rfind('/')));
    std::ofstream out(record, std::ios::app | std::ios::binary);
    out << utf8 << '\n';
    out.flush();
    return static_cast<bool>(out);
}

int HonourPendingDeletes() {
    const std::string record = PendingDeleteRecord();
    if (record.empty()) {
        return 0;
    }
    std::ifstream in(record, std::ios::binary);
    if (!in) {
        return 0;
    }
    int removed = 0;
    std::string line;
    while (std::getline(in, line)) {
        struct stat st {};
        // Only files are ever recorded; never follow the record into a folder.
        if (!line.empty() && lstat(line.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
            unlink(line.c_str()) == 0) {
            ++removed;
        }
    }
    in.close();
    unlink(record.c_str());
    return removed;
}

std::wstring DriveOfPath(const std::wstring& path) {
    std::string utf8 = WideToUtf8(path);
    if (utf8.empty() || utf8[0] != '/') {
        return {};
    }
    // The nearest folder that exists: the free space of a folder still to be
    // made is that of the file system it will be made on.
    for (;;) {
        struct stat st {};
        if (stat(utf8.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            return Utf8ToWide(utf8);
        }
        const size_t slash = utf8.find_last_of('/', utf8.size() > 1 ? utf8.size() - 2 : 0);
        if (slash == std::string::npos || utf8 == "/") {
            return L"/";
        }
        utf8.resize(slash == 0 ? 1 : slash);
    }
}

}  // namespace Utils
