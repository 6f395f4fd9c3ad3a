// Directory creation, free space, the drive of a path and the disk detail
// text of the fault reports, on both platforms.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/testsupport.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/faults.h"

using TestSupport::TempDir;

namespace {

const std::wstring kSep = Utils::PathSeparator();

bool IsDirectory(const std::wstring& path) {
    std::error_code ec;
    return std::filesystem::is_directory(Utils::NativePath(path), ec);
}

bool IsEmptyDirectory(const std::wstring& path) {
    std::error_code ec;
    return std::filesystem::is_empty(Utils::NativePath(path), ec) && !ec;
}

// Runs the test body with the current directory inside a fresh folder.
class InCurrentDirectory {
  public:
    explicit InCurrentDirectory(const std::wstring& dir) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(Utils::NativePath(dir));
    }
    ~InCurrentDirectory() { std::filesystem::current_path(saved_); }

  private:
    std::filesystem::path saved_;
};

TEST(CreateDirectories, MakesEveryComponentTheLastOneIncluded) {
    const struct {
        std::wstring tail;
        std::vector<std::wstring> made;
        const char* why;
    } cases[] = {
        {kSep + L"a" + kSep + L"b" + kSep, {L"a", L"a" + kSep + L"b"}, "trailing separator"},
        {kSep + L"a" + kSep + L"b", {L"a", L"a" + kSep + L"b"}, "no trailing separator"},
        {kSep + L"a" + kSep + L"report.txt",
         {L"a", L"a" + kSep + L"report.txt"},
         "a file name becomes a directory too"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Utils::CreateDirectories(dir.path() + c.tail);
        for (const std::wstring& made : c.made) {
            EXPECT_TRUE(IsDirectory(dir.Child(made))) << c.why << ": " << Utils::WideToUtf8(made);
        }
    }
}

TEST(CreateDirectories, KeepsWhatExistsAndAddsTheRest) {
    TempDir dir;
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"keep.txt"), "x"));
    Utils::CreateDirectories(dir.path() + kSep);  // exists: nothing to do
    Utils::CreateDirectories(dir.Child(L"a") + kSep + L"b" + kSep);
    Utils::CreateDirectories(dir.Child(L"a") + kSep + L"b" + kSep + L"c");
    EXPECT_EQ("x", TestSupport::ReadBytes(dir.Child(L"keep.txt")));
    EXPECT_TRUE(IsDirectory(dir.Child(L"a") + kSep + L"b" + kSep + L"c"));
}

TEST(CreateDirectories, RelativeAndEmptyPathsCreateNothing) {
    TempDir dir;
    InCurrentDirectory cwd(dir.path());
    const wchar_t* cases[] = {L"", L"a", L"rel"};
    for (const wchar_t* path : cases) {
        Utils::CreateDirectories(path);
    }
    Utils::CreateDirectories(L"a" + kSep + L"b" + kSep);
    EXPECT_TRUE(IsEmptyDirectory(dir.path()));
}

TEST(UniqueTempDirectory, EveryCallMakesANewFolderInTheTemporaryFolder) {
    std::wstring first, second;
    ASSERT_TRUE(Utils::CreateUniqueTempDirectory(first));
    ASSERT_TRUE(Utils::CreateUniqueTempDirectory(second));
    EXPECT_NE(first, second);
    for (const std::wstring& dir : {first, second}) {
        EXPECT_EQ(Utils::PathSeparator(), dir.substr(dir.size() - 1)) << Utils::WideToUtf8(dir);
        EXPECT_TRUE(std::filesystem::is_directory(Utils::NativePath(dir)));
        EXPECT_TRUE(std::filesystem::is_empty(Utils::NativePath(dir)));
        std::filesystem::remove(Utils::NativePath(dir));
    }
}

TEST(FreeSpace, ExistingFolderHasANonNegativeCount) {
    TempDir dir;
    int64_t value = -5;
    EXPECT_TRUE(Utils::GetFreeSpace(dir.path(), &value));
    EXPECT_GE(value, 0);
    EXPECT_TRUE(Utils::GetFreeSpace(dir.path())) << "the output is optional";
    EXPECT_GE(Utils::GetFreeBytes(dir.path()), 0);
}

TEST(DeleteFileOnReboot, PathsOf260CharactersAreRefused) {
    TempDir dir;
    std::wstring path = dir.path() + kSep;
    path.append(260 - path.size(), L'x');
    ASSERT_EQ(260u, path.size());
    EXPECT_FALSE(Utils::DeleteFileOnReboot(path));
}

// The free-byte query of the disk detail text, replaced for the tests that
// need a given answer.
std::wstring g_askedDrive;
int64_t g_answer = 0;
int64_t FakeFreeBytes(const std::wstring& drive) {
    g_askedDrive = drive;
    return g_answer;
}

class DiskInfoText : public ::testing::Test {
  protected:
    void TearDown() override { Utils::SetFreeBytesQueryForTesting(nullptr); }
    TempDir dir_;
};

TEST_F(DiskInfoText, IsThePathABlankAndTheFreeBytesOfItsDrive) {
    const std::wstring path = dir_.Child(L"download") + kSep;
    const std::string text = Utils::GetDiskInfoText(path);
    const std::string prefix = Utils::WideToUtf8(path) + " ";
    ASSERT_EQ(0u, text.find(prefix)) << text;
    EXPECT_TRUE(std::regex_match(text.substr(prefix.size()), std::regex("[0-9]+"))) << text;
}

TEST_F(DiskInfoText, UsesTheAnswerForTheDriveOfThePath) {
    Utils::SetFreeBytesQueryForTesting(&FakeFreeBytes);
    const std::wstring path = dir_.Child(L"x") + kSep;
    const struct {
        int64_t answer;
        std::string tail;
        const char* why;
    } cases[] = {
        {5, " 5", "five bytes free"},
        {-1, " -1", "a failed query"},
        {int64_t{1} << 40, " 1099511627776", "signed 64-bit decimal"},
    };
    for (const auto& c : cases) {
        g_answer = c.answer;
        EXPECT_EQ(Utils::WideToUtf8(path) + c.tail, Utils::GetDiskInfoText(path)) << c.why;
        EXPECT_EQ(Utils::DriveOfPath(path), g_askedDrive) << c.why;
    }
}

TEST_F(DiskInfoText, IsCutTo1022Bytes) {
    Utils::SetFreeBytesQueryForTesting(&FakeFreeBytes);
    g_answer = 5;
    std::wstring path = dir_.path() + kSep;
    path.append(2000, L'n');
    const std::string text = Utils::GetDiskInfoText(path);
    EXPECT_EQ(1022u, text.size());
    EXPECT_EQ(Utils::WideToUtf8(path).substr(0, 1022), text);
}

TEST_F(DiskInfoText, PathWithoutADriveGivesEmptyText) {
    Utils::SetFreeBytesQueryForTesting(&FakeFreeBytes);
    g_askedDrive = L"untouched";
    for (const wchar_t* path : {L"", L"relative", L"rel\\x\\", L"rel/x/"}) {
        EXPECT_EQ("", Utils::GetDiskInfoText(path)) << Utils::WideToUtf8(path);
    }
    EXPECT_EQ(L"untouched", g_askedDrive) << "no free-space query for a path without a drive";
}

}  // namespace
