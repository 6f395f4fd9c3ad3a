#include "utils/system/sysroot_posix.h"

#include <mutex>

namespace Utils::posix {

namespace {
std::mutex g_rootMutex;
std::string g_root;  // guarded by g_rootMutex
}  // namespace

std::string SystemPath(const std::string& absolute) {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    return g_root + absolute;
}

void SetSystemRootForTesting(const std::string& root) {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    g_root = root;
}

}  // namespace Utils::posix
