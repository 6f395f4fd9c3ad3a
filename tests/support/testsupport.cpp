#include "tests/support/testsupport.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/fileversion.h"

namespace TestSupport {

namespace {
std::atomic<unsigned> g_counter{0};
}

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = TempBase() + Utils::PathSeparator() + L"tavo-test-" +
                                       std::to_wstring(rd()) + L"-" +
                                       std::to_wstring(g_counter.fetch_add(1));
        std::error_code ec;
        if (std::filesystem::create_directories(Utils::NativePath(candidate), ec)) {
            path_ = candidate;
            return;
        }
    }
    std::abort();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Utils::NativePath(path_), ec);
}

std::wstring TempDir::Child(const std::wstring& name) const {
    return path_ + Utils::PathSeparator() + name;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(Utils::NativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(Utils::NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool Exists(const std::wstring& path) {
    return Utils::PathExists(path);
}

std::wstring SiblingProgram(const std::wstring& name) {
    const std::wstring self = Utils::GetSelfPath();
    const size_t slash = self.rfind(Utils::PathSeparator()[0]);
    return self.substr(0, slash + 1) + name + ProgramSuffix();
}

}  // namespace TestSupport
