// Version queries on this test program's own file, which carries version
// information with the versions TAVO_TEST_FILE_VERSION and
// TAVO_TEST_PRODUCT_VERSION (tests/CMakeLists.txt), and on files without it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"

using TestSupport::TempDir;

namespace {

const std::wstring kSelfName = L"tavo_system_tests" + TestSupport::ProgramSuffix();

TEST(SelfFile, PathNameAndVersionAreThoseOfThisProgram) {
    const std::wstring path = Utils::GetSelfPath();
    ASSERT_GT(path.size(), kSelfName.size());
    EXPECT_EQ(kSelfName, path.substr(path.size() - kSelfName.size()));
    EXPECT_TRUE(TestSupport::Exists(path));
    EXPECT_EQ(kSelfName, Utils::GetSelfName());
    EXPECT_EQ(Utils::Utf8ToWide(TAVO_TEST_PRODUCT_VERSION), Utils::GetSelfVersion());
}

TEST(QueryValue, ReadsTheValuesOfAFileWithVersionInformation) {
    std::wstring file, product, description;
    EXPECT_TRUE(Utils::GetFileVersion(Utils::GetSelfPath(), file));
    EXPECT_TRUE(Utils::GetProductVersion(Utils::GetSelfPath(), product));
    EXPECT_TRUE(Utils::QueryValue(L"ProductName", Utils::GetSelfPath(), description));
    EXPECT_EQ(Utils::Utf8ToWide(TAVO_TEST_FILE_VERSION), file);
    EXPECT_EQ(Utils::Utf8ToWide(TAVO_TEST_PRODUCT_VERSION), product);
    EXPECT_EQ(L"TavoInstaller", description);
}

TEST(QueryValue, MissingKeyIsTrueAndLeavesTheOutputAlone) {
    std::wstring out = L"kept";
    EXPECT_TRUE(Utils::QueryValue(L"NoSuchKey", Utils::GetSelfPath(), out));
    EXPECT_EQ(L"kept", out);
    // A key that is a prefix of a stored one is another key.
    EXPECT_TRUE(Utils::QueryValue(L"Product", Utils::GetSelfPath(), out));
    EXPECT_EQ(L"kept", out);
}

TEST(QueryValue, FilesWithoutVersionInformationAreFalseAndLeaveTheOutputAlone) {
    TempDir dir;
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"plain.txt"), "FileVersion 1.2.3.4\n"));
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"empty.bin"), ""));
    const struct {
        std::wstring key;
        std::wstring file;
        const char* why;
    } cases[] = {
        {L"FileVersion", dir.Child(L"plain.txt"), "a plain text file"},
        {L"FileVersion", dir.Child(L"empty.bin"), "an empty file"},
        {L"FileVersion", dir.Child(L"missing.exe"), "a missing file"},
        {L"FileVersion", L"", "no file named"},
        {L"", Utils::GetSelfPath(), "no key named"},
    };
    for (const auto& c : cases) {
        std::wstring out = L"kept";
        EXPECT_FALSE(Utils::QueryValue(c.key, c.file, out)) << c.why;
        EXPECT_EQ(L"kept", out) << c.why;
    }
}

}  // namespace
