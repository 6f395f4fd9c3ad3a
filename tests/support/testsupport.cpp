#include "tests/support/testsupport.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/fileversion.h"
#include "utils/system/registry.h"

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
    return SiblingFile(name + ProgramSuffix());
}

std::wstring SiblingFile(const std::wstring& fileName) {
    const std::wstring self = Utils::GetSelfPath();
    const size_t slash = self.rfind(Utils::PathSeparator()[0]);
    return self.substr(0, slash + 1) + fileName;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : ScopedEnv(name, Unset{}) {
    SetEnv(name, value);
}

ScopedEnv::ScopedEnv(const std::string& name, Unset) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) {
        had_ = true;
        old_ = old;
    }
    UnsetEnv(name);
}

ScopedEnv::~ScopedEnv() {
    if (had_) {
        SetEnv(name_, old_);
    } else {
        UnsetEnv(name_);
    }
}

ScopedRegistryRoot::ScopedRegistryRoot() : root_(detail::NewRegistryRoot(dir_)) {
    Utils::SetRegistryRootForTesting(root_);
}

ScopedRegistryRoot::~ScopedRegistryRoot() {
    Utils::SetRegistryRootForTesting(L"");
    detail::DropRegistryRoot(root_);
}

LogCapture::LogCapture() : saved_(Utils::g_wstrLogDir) {
    while (!saved_.empty() && saved_.back() == Utils::PathSeparator()[0]) {
        saved_.pop_back();
    }
    Utils::ResetLogForTesting(dir_.path());
}

LogCapture::~LogCapture() {
    Utils::ResetLogForTesting(saved_);
}

std::string LogCapture::Text() const {
    std::string text = ReadBytes(Utils::g_wstrLogFile);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

size_t LogCapture::Count(const std::string& piece) const {
    const std::string text = Text();
    size_t count = 0;
    for (size_t pos = text.find(piece); pos != std::string::npos;
         pos = text.find(piece, pos + piece.size())) {
        ++count;
    }
    return count;
}

}  // namespace TestSupport
