#include "utils/system/private_dir.h"

#include <mutex>

#include "utils/system/identity.h"

namespace Utils {

namespace {

// Tries before giving up; random names collide only when planted.
constexpr int kMaxTries = 100;

std::mutex& NamesMutex() {
    static std::mutex m;
    return m;
}

std::function<std::wstring()>& TestNames() {
    static std::function<std::wstring()> next;
    return next;
}

bool NextName(std::wstring& name) {
    {
        std::lock_guard<std::mutex> lock(NamesMutex());
        if (TestNames()) {
            name = TestNames()();
            return true;
        }
    }
    std::wstring uuid;
    if (!RandomUuid(uuid)) {
        return false;
    }
    std::wstring letters;
    for (const wchar_t c : uuid) {
        if (c != L'-' && c != L'{' && c != L'}') {
            letters += c;
        }
    }
    name = L"tavo-" + letters.substr(0, 12);
    return true;
}

}  // namespace

bool CreateUniquePrivateDirectory(const std::wstring& parent, std::wstring& dir) {
    if (parent.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        std::wstring name;
        if (!NextName(name) || name.empty()) {
            return false;
        }
        const std::wstring candidate = parent + name;
        if (CreatePrivateDirectory(candidate)) {
            dir = candidate + parent.substr(parent.size() - 1);
            return true;
        }
    }
    return false;
}

void SetPrivateDirectoryNamesForTesting(std::function<std::wstring()> next) {
    std::lock_guard<std::mutex> lock(NamesMutex());
    TestNames() = std::move(next);
}

}  // namespace Utils
