// Linux only: the single-instance rule's lock file: where it lies, that a
// second claim is refused, that the descriptor does not reach child
// programs, and that a lock file nobody may use does not stop the program.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/single_instance.h"
#include "views/startup.h"

using TestSupport::ScopedEnv;
using TestSupport::TempDir;

namespace {

// A name of this test's own, so that no other test or running installer
// shares its lock.
std::wstring UniqueName(const char* what) {
    return L"Tavo_Test_" + Utils::Utf8ToWide(what) + L"_" + std::to_wstring(getpid());
}

// The descriptor flags of this process's open descriptor for `path`, or -1.
int DescriptorFlagsOf(const std::string& path) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec).string() == path) {
            return fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
        }
    }
    return -1;
}

TEST(SingleInstance, LockFileLiesInTheRuntimeFolderElseInTheTemporaryFolderPerUser) {
    const std::string uid = std::to_string(getuid());
    const struct {
        bool runtime;      // XDG_RUNTIME_DIR set to a folder of the test
        bool tmp;          // TMP set to a folder of the test
        const char* file;  // expected lock file, below the folder that is used
        const char* why;
    } cases[] = {
        {true, true, "%s.lock", "the runtime folder is the user's own: no user id in the name"},
        {false, true, "%s-%u.lock", "the temporary folder is shared: the user id is in the name"},
    };
    for (const auto& c : cases) {
        TempDir runtime, tmp;
        const std::wstring name = UniqueName(c.runtime ? "runtime" : "tmp");
        const ScopedEnv r = c.runtime
                                ? ScopedEnv("XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime.path()))
                                : ScopedEnv("XDG_RUNTIME_DIR", ScopedEnv::Unset{});
        const ScopedEnv t("TMP", Utils::WideToUtf8(tmp.path()));
        ASSERT_TRUE(Utils::AcquireSingleInstance(name)) << c.why;
        std::string file = c.file;
        file.replace(file.find("%s"), 2, Utils::WideToUtf8(name));
        if (file.find("%u") != std::string::npos) {
            file.replace(file.find("%u"), 2, uid);
        }
        const std::wstring folder = c.runtime ? runtime.path() : tmp.path();
        const std::string path = Utils::WideToUtf8(folder) + "/" + file;
        EXPECT_TRUE(TestSupport::Exists(Utils::Utf8ToWide(path))) << c.why;
        const int flags = DescriptorFlagsOf(path);
        ASSERT_NE(-1, flags) << "the lock stays open for the process's life: " << c.why;
        EXPECT_TRUE(flags & FD_CLOEXEC) << "programs this one starts must not hold the lock";
    }
}

TEST(SingleInstance, SecondClaimIsRefusedWhileTheFirstHoldsTheLock) {
    TempDir runtime;
    const ScopedEnv r("XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime.path()));
    const std::wstring name = UniqueName("second");
    EXPECT_TRUE(Utils::AcquireSingleInstance(name));
    EXPECT_FALSE(Utils::AcquireSingleInstance(name)) << "the first claim holds the lock";
    EXPECT_TRUE(Utils::AcquireSingleInstance(name + L"_other")) << "another name is free";
}

TEST(SingleInstance, ALockThatCannotBeOpenedLetsTheProgramRun) {
    TempDir runtime;
    const ScopedEnv r("XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime.path()));
    const std::wstring name = UniqueName("link");
    const std::string lock = Utils::WideToUtf8(runtime.Child(name + L".lock"));
    const std::string target = Utils::WideToUtf8(runtime.Child(L"elsewhere"));
    ASSERT_EQ(0, symlink(target.c_str(), lock.c_str()));
    EXPECT_TRUE(Utils::AcquireSingleInstance(name)) << "no check is possible: the copy runs";
    EXPECT_FALSE(TestSupport::Exists(Utils::Utf8ToWide(target)))
        << "a planted link is never followed";
}

TEST(SingleInstance, SecondCopyTellsTheUserAndEndsWithMinusOne) {
    TempDir runtime;
    const ScopedEnv r("XDG_RUNTIME_DIR", Utils::WideToUtf8(runtime.path()));
    std::wstring told;
    int ended = 0;
    const auto tell = [&told](const std::wstring& text) { told = text; };
    const auto end = [&ended](int code) { ended = code; };
    EXPECT_TRUE(EnsureSingleInstance(tell, end));
    EXPECT_EQ(L"", told);
    EXPECT_EQ(0, ended);
    EXPECT_FALSE(EnsureSingleInstance(tell, end));
    EXPECT_EQ(L"Tavo浏览器 安装程序已经在运行，请勿重复启动！", told);
    EXPECT_EQ(-1, ended);
}

}  // namespace
