// Linux only: the mappings of the system layer onto Linux (machine-id, XDG
// folders, the delete-at-next-start record, ELF version sections, exit
// statuses and argv).
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/dpi.h"
#include "utils/system/fileversion.h"
#include "utils/system/identity.h"
#include "utils/system/process.h"
#include "utils/system/sysroot_posix.h"

using TestSupport::ReadBytes;
using TestSupport::ScopedEnv;
using TestSupport::TempDir;
using TestSupport::WriteBytes;

namespace {

// Points /etc, /proc and /sys at a fixture folder for one test.
class ScopedSystemRoot {
  public:
    explicit ScopedSystemRoot(const std::wstring& root) {
        Utils::posix::SetSystemRootForTesting(Utils::WideToUtf8(root));
    }
    ~ScopedSystemRoot() { Utils::posix::SetSystemRootForTesting(""); }
};

TEST(PosixIdentity, MachineIdComesFromEtcMachineId) {
    const struct {
        const char* contents;  // nullptr: no file
        int expected;
        const wchar_t* id;
        const char* why;
    } cases[] = {
        {nullptr, 20, nullptr, "missing file"},
        {"", 21, nullptr, "empty file: no identifier"},
        {"uninitialized\n", 21, nullptr, "not an identifier"},
        {"0123456789ABCDEF0123456789ABCDEF\n", 21, nullptr, "upper case is not the format"},
        {"0123456789abcdef0123456789abcde\n", 21, nullptr, "31 digits"},
        {"0123456789abcdef0123456789abcdef\n", 0, L"0123456789abcdef0123456789abcdef", "valid"},
        {"0123456789abcdef0123456789abcdef", 0, L"0123456789abcdef0123456789abcdef",
         "valid without a line break"},
    };
    for (const auto& c : cases) {
        TempDir root;
        std::filesystem::create_directories(Utils::WideToUtf8(root.Child(L"etc")));
        if (c.contents != nullptr) {
            ASSERT_TRUE(WriteBytes(root.Child(L"etc/machine-id"), c.contents));
        }
        ScopedSystemRoot seam(root.path());
        std::wstring out = L"kept";
        EXPECT_EQ(c.expected, Utils::GetMachineSID(out)) << c.why;
        EXPECT_EQ(c.id != nullptr ? c.id : L"kept", out) << c.why;
    }
}

TEST(PosixIdentity, LocalAppDataFollowsXdgDataHome) {
    ScopedEnv home("HOME", "/home/tester");
    const struct {
        const char* xdg;  // nullptr: unset
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {"/data/xdg", L"/data/xdg", "XDG_DATA_HOME honoured"},
        {nullptr, L"/home/tester/.local/share", "unset: the default below HOME"},
        {"", L"/home/tester/.local/share", "empty: the default"},
        {"relative/dir", L"/home/tester/.local/share", "relative values are ignored"},
    };
    for (const auto& c : cases) {
        ScopedEnv xdg = c.xdg != nullptr ? ScopedEnv("XDG_DATA_HOME", c.xdg)
                                         : ScopedEnv("XDG_DATA_HOME", ScopedEnv::Unset{});
        std::wstring out;
        EXPECT_TRUE(Utils::GetLocalAppDataPath(out)) << c.why;
        EXPECT_EQ(c.expected, out) << c.why;
    }
}

TEST(PosixDpi, WithoutADisplayTheScaleIsGdkScale) {
    ScopedEnv display("DISPLAY", ScopedEnv::Unset{});
    const struct {
        const char* gdkScale;
        double scale;
        const char* why;
    } cases[] = {
        {nullptr, 1.0, "nothing known: 96 dpi"},
        {"2", 2.0, "twice 96 dpi"},
        {"0", 1.0, "nonsense counts as 1"},
        {"abc", 1.0, "not a number"},
    };
    for (const auto& c : cases) {
        ScopedEnv scale = c.gdkScale != nullptr ? ScopedEnv("GDK_SCALE", c.gdkScale)
                                                : ScopedEnv("GDK_SCALE", ScopedEnv::Unset{});
        EXPECT_EQ(c.scale, Utils::GetDpiScale()) << c.why;
    }
}

TEST(PosixDisk, DriveOfPathIsTheNearestExistingFolder) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Child(L"file.txt"), "x"));
    const struct {
        std::wstring path;
        std::wstring drive;
        const char* why;
    } cases[] = {
        {dir.path(), dir.path(), "an existing folder"},
        {dir.path() + L"/", dir.path() + L"/", "with its trailing separator"},
        {dir.Child(L"missing/deeper/"), dir.path(), "folders still to be made"},
        {dir.Child(L"file.txt"), dir.path(), "a file: its folder"},
        {L"/", L"/", "the root"},
        {L"/tavo-no-such-folder/x", L"/", "nothing but the root exists"},
        {L"relative/x", L"", "a relative path has no drive"},
        {L"", L"", "empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.drive, Utils::DriveOfPath(c.path)) << c.why;
    }
}

TEST(PosixDisk, MissingPathHasNoFreeSpace) {
    int64_t value = 123;
    EXPECT_FALSE(Utils::GetFreeSpace(L"/tavo-no-such-folder/x", &value));
    EXPECT_EQ(123, value);
    EXPECT_EQ(-1, Utils::GetFreeBytes(L"/tavo-no-such-folder/x"));
}

TEST(PosixDisk, CreateDirectoriesIgnoresRelativePaths) {
    TempDir dir;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(Utils::WideToUtf8(dir.path()));
    for (const wchar_t* path : {L"./a/b/", L"../tavo-up/x", L"a", L"C:\\a\\b\\"}) {
        Utils::CreateDirectories(path);
    }
    std::filesystem::current_path(saved);
    EXPECT_TRUE(std::filesystem::is_empty(Utils::WideToUtf8(dir.path())));
}

// The delete-at-next-start record lives below XDG_STATE_HOME.
class PendingDeletes : public ::testing::Test {
  protected:
    std::wstring Record() const { return state_.Child(L"tavo/pending-deletes"); }

    TempDir state_;
    ScopedEnv env_{"XDG_STATE_HOME", Utils::WideToUtf8(state_.path())};
    TempDir files_;
};

TEST_F(PendingDeletes, RecordedFilesGoAtTheNextStart) {
    const std::wstring a = files_.Child(L"a.exe");
    const std::wstring b = files_.Child(L"b b.exe");
    ASSERT_TRUE(WriteBytes(a, "a"));
    ASSERT_TRUE(WriteBytes(b, "b"));
    ASSERT_TRUE(Utils::DeleteFileOnReboot(a));
    ASSERT_TRUE(Utils::DeleteFileOnReboot(b));
    EXPECT_EQ(Utils::WideToUtf8(a) + "\n" + Utils::WideToUtf8(b) + "\n", ReadBytes(Record()));
    EXPECT_TRUE(TestSupport::Exists(a)) << "nothing is deleted before the next start";

    EXPECT_EQ(2, Utils::HonourPendingDeletes());
    EXPECT_FALSE(TestSupport::Exists(a));
    EXPECT_FALSE(TestSupport::Exists(b));
    EXPECT_FALSE(TestSupport::Exists(Record())) << "the record is cleared";
    EXPECT_EQ(0, Utils::HonourPendingDeletes()) << "nothing left to do";
}

TEST_F(PendingDeletes, FoldersMissingFilesAndLinkTargetsAreLeftAlone) {
    const std::wstring folder = files_.Child(L"folder");
    const std::wstring target = files_.Child(L"target.txt");
    const std::wstring link = files_.Child(L"link");
    std::filesystem::create_directory(Utils::WideToUtf8(folder));
    ASSERT_TRUE(WriteBytes(target, "t"));
    std::filesystem::create_symlink(Utils::WideToUtf8(target), Utils::WideToUtf8(link));
    for (const std::wstring& path : {folder, files_.Child(L"missing"), link}) {
        ASSERT_TRUE(Utils::DeleteFileOnReboot(path));
    }
    EXPECT_EQ(1, Utils::HonourPendingDeletes()) << "only the link itself";
    EXPECT_TRUE(std::filesystem::is_directory(Utils::WideToUtf8(folder)));
    EXPECT_TRUE(TestSupport::Exists(target));
    EXPECT_FALSE(std::filesystem::is_symlink(Utils::WideToUtf8(link)));
}

TEST_F(PendingDeletes, RefusedPathsLeaveNoRecord) {
    std::wstring longPath = files_.path() + L"/";
    longPath.append(260 - longPath.size(), L'x');
    EXPECT_FALSE(Utils::DeleteFileOnReboot(longPath)) << "260 characters";
    EXPECT_FALSE(Utils::DeleteFileOnReboot(files_.Child(L"two\nlines"))) << "a line break";
    EXPECT_FALSE(Utils::DeleteFileOnReboot(L"")) << "empty";
    EXPECT_FALSE(TestSupport::Exists(Record()));
}

TEST_F(PendingDeletes, RelativePathIsRecordedAsAnAbsolutePath) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(Utils::WideToUtf8(files_.path()));
    ASSERT_TRUE(WriteBytes(files_.Child(L"rel.txt"), "r"));
    const bool recorded = Utils::DeleteFileOnReboot(L"rel.txt");
    std::filesystem::current_path(saved);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(Utils::WideToUtf8(files_.Child(L"rel.txt")) + "\n", ReadBytes(Record()));
    EXPECT_EQ(1, Utils::HonourPendingDeletes()) << "from another current folder";
}

TEST(PosixVersion, ElfFilesWithoutTheVersionSectionAreFalse) {
    TempDir dir;
    std::string head(64, '\0');  // this program's ELF header, without anything after it
    std::ifstream(Utils::WideToUtf8(Utils::GetSelfPath()), std::ios::binary).read(head.data(), 64);
    ASSERT_TRUE(WriteBytes(dir.Child(L"head.bin"), head));
    ASSERT_TRUE(WriteBytes(dir.Child(L"magic.bin"),
                           "\x7F"
                           "ELF\x02\x01\x01"));
    const struct {
        std::wstring file;
        const char* why;
    } cases[] = {
        {TestSupport::SiblingProgram(L"tavo_test_child"), "an ELF program without the section"},
        {dir.Child(L"head.bin"), "an ELF header whose sections are cut off"},
        {dir.Child(L"magic.bin"), "the magic number alone"},
    };
    for (const auto& c : cases) {
        std::wstring out = L"kept";
        EXPECT_FALSE(Utils::GetProductVersion(c.file, out)) << c.why;
        EXPECT_EQ(L"kept", out) << c.why;
    }
}

class PosixProcess : public ::testing::Test {
  protected:
    std::vector<std::string> Argv() const {
        std::vector<std::string> argv;
        const std::string record = ReadBytes(out_);
        for (size_t pos = 0, end; (end = record.find('\n', pos)) != std::string::npos;
             pos = end + 1) {
            argv.push_back(record.substr(pos, end - pos));
        }
        return argv;
    }

    const std::wstring child_ = TestSupport::SiblingProgram(L"tavo_test_child");
    TempDir dir_;
    const std::wstring out_ = dir_.Child(L"record.txt");
    const std::string outArg_ = "--out=" + Utils::WideToUtf8(out_);
};

TEST_F(PosixProcess, ArgumentTextIsSplitAndItsFirstWordIsArgvZero) {
    const std::wstring arguments =
        Utils::Utf8ToWide(outArg_) + L"  \"two words\"\ta\\\"b \"\" 安装";
    ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(child_, arguments));
    EXPECT_EQ((std::vector<std::string>{outArg_, "two words", "a\"b", "", "安装"}), Argv());
}

TEST_F(PosixProcess, EmptyArgumentTextGivesTheProgramAlone) {
    ScopedEnv env("TAVO_CHILD_OUT", Utils::WideToUtf8(out_));
    ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(child_, L""));
    EXPECT_EQ(std::vector<std::string>{Utils::WideToUtf8(child_)}, Argv());
}

TEST_F(PosixProcess, LongestAcceptedArgumentTextArrivesWhole) {
    std::wstring arguments = Utils::Utf8ToWide(outArg_) + L" ";
    arguments.append(Utils::kCommandLineCapacity - 1 - arguments.size(), L'a');
    ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(child_, arguments));
    const std::vector<std::string> argv = Argv();
    ASSERT_EQ(2u, argv.size());
    EXPECT_EQ(40959u, argv[0].size() + 1 + argv[1].size());
}

TEST_F(PosixProcess, MakeOwnerExecutableAddsOnlyTheOwnersExecuteBit) {
    const std::wstring file = dir_.Child(L"TavoSetup.exe");
    ASSERT_TRUE(WriteBytes(file, "x"));
    const std::string path = Utils::WideToUtf8(file);
    ASSERT_EQ(0, chmod(path.c_str(), 0640));
    EXPECT_TRUE(Utils::MakeOwnerExecutable(file));
    struct stat st {};
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0740u, st.st_mode & 07777u);
    EXPECT_FALSE(Utils::MakeOwnerExecutable(dir_.Child(L"missing")));
}

TEST_F(PosixProcess, ChildEndedBySignalReadsAs128PlusTheSignal) {
    EXPECT_EQ(128 + SIGTERM,
              Utils::ExecutExeAtNewProcess(child_, Utils::Utf8ToWide(outArg_) + L" --signal=15"));
}

}  // namespace
