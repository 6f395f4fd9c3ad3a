#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "utils/log/fileutil.h"
#include "utils/log/textconv.h"

namespace {

TEST(TextConversion, RoundTripsAndEdgeCases) {
    const struct {
        std::wstring wide;
        std::string utf8;
        const char* why;
    } cases[] = {
        {L"", "", "empty stays empty"},
        {L"abc", "abc", "ASCII"},
        {L"安装完毕。", "\xE5\xAE\x89\xE8\xA3\x85\xE5\xAE\x8C\xE6\xAF\x95\xE3\x80\x82",
         "CJK (BMP)"},
        {L"x\U0001F600y", "x\xF0\x9F\x98\x80y", "outside the BMP: four UTF-8 bytes"},
        {L"\u2026", "\xE2\x80\xA6", "the ellipsis of the status texts"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.utf8, Utils::WideToUtf8(c.wide)) << c.why;
        EXPECT_EQ(c.wide, Utils::Utf8ToWide(c.utf8)) << c.why;
        EXPECT_EQ(c.wide, Utils::Utf8ToWide(Utils::WideToUtf8(c.wide))) << c.why;
    }
}

TEST(TextConversion, StopsAtTheFirstZero) {
    EXPECT_EQ("a", Utils::WideToUtf8(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(L"a", Utils::Utf8ToWide(std::string("a\0b", 3)));
    EXPECT_EQ(L"a", Utils::AnsiToWide(std::string("a\0b", 3)));
    EXPECT_EQ(L"", Utils::AnsiToWide(""));
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacters) {
    const struct {
        std::string bytes;
        const char* why;
    } cases[] = {
        {"\xFF"
         "a",
         "byte that never occurs in UTF-8"},
        {"\xC3"
         "a",
         "truncated two-byte sequence"},
        {"\xE0\x80\xAF"
         "a",
         "overlong encoding"},
        {"\xED\xA0\x80"
         "a",
         "encoded surrogate"},
        {"\xF4\x90\x80\x80"
         "a",
         "above U+10FFFF"},
        {"\xE5\xAE", "sequence cut at the end"},
    };
    for (const auto& c : cases) {
        const std::wstring wide = Utils::Utf8ToWide(c.bytes);
        ASSERT_FALSE(wide.empty()) << c.why;
        EXPECT_EQ(0xFFFDu, static_cast<uint32_t>(wide[0])) << c.why;
        if (c.bytes.back() == 'a') {
            EXPECT_EQ(L'a', wide.back()) << c.why << ": decoding resumes after the bad bytes";
        }
    }
}

TEST(SystemErrorText, CodeCommaAndTheSystemsText) {
    const std::string a = Utils::SystemErrorToStringA(2);
    const std::wstring w = Utils::SystemErrorToStringW(2);
    EXPECT_EQ(0u, a.find("2,"));
    EXPECT_GT(a.size(), 2u) << "file-not-found has a system text";
    EXPECT_EQ(a, Utils::WideToUtf8(w)) << "both forms carry the same text";
}

TEST(SystemErrorText, UnknownCodeGivesCodeAndCommaOnly) {
    EXPECT_EQ("2147483632,", Utils::SystemErrorToStringA(0x7FFFFFF0u));
    EXPECT_EQ(L"2147483632,", Utils::SystemErrorToStringW(0x7FFFFFF0u));
    EXPECT_EQ("4294967295,", Utils::SystemErrorToStringA(0xFFFFFFFFu)) << "printed unsigned";
}

TEST(SystemErrorText, LastErrorRoundTrips) {
    Utils::SetLastSystemError(5);
    EXPECT_EQ(5u, Utils::LastSystemError());
}

TEST(CheckFile, ExistingFileOrFolderIsZeroMissingIsMinusOne) {
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"f.txt"), "x"));
    EXPECT_EQ(0, Utils::CheckFileW(dir.path()));
    EXPECT_EQ(0, Utils::CheckFileW(dir.Child(L"f.txt")));
    EXPECT_EQ(-1, Utils::CheckFileW(dir.Child(L"missing")));
    EXPECT_EQ(0, Utils::CheckFileA(Utils::WideToUtf8(dir.path())));
    EXPECT_EQ(-1, Utils::CheckFileA(Utils::WideToUtf8(dir.Child(L"missing"))));
}

TEST(CheckFile, NonAsciiPathsWork) {
    TestSupport::TempDir dir;
    const std::wstring path = dir.Child(L"安装 程序.txt");
    ASSERT_TRUE(TestSupport::WriteBytes(path, "x"));
    EXPECT_EQ(0, Utils::CheckFileW(path));
}

TEST(ReadFile, WholeFileOrItsTailUnchanged) {
    TestSupport::TempDir dir;
    const std::wstring file = dir.Child(L"安装.log");
    ASSERT_TRUE(TestSupport::WriteBytes(file, std::string("ab\r\ncd\xFF\x00z", 9)));
    const struct {
        size_t maxBytes;
        std::string expected;
        const char* why;
    } cases[] = {
        {100, std::string("ab\r\ncd\xFF\x00z", 9), "shorter than the limit: whole"},
        {9, std::string("ab\r\ncd\xFF\x00z", 9), "exactly the limit: whole"},
        {8, std::string("b\r\ncd\xFF\x00z", 8), "one byte over: loses its first byte"},
        {0, "", "nothing wanted"},
    };
    for (const auto& c : cases) {
        std::string out = "stale";
        EXPECT_TRUE(Utils::ReadFileTail(file, c.maxBytes, out)) << c.why;
        EXPECT_EQ(c.expected, out) << c.why;
    }
    std::string whole;
    EXPECT_TRUE(Utils::ReadFileBytes(file, whole));
    EXPECT_EQ(9u, whole.size());
    for (const std::wstring& bad : {dir.path(), dir.Child(L"missing")}) {
        std::string out = "stale";
        EXPECT_FALSE(Utils::ReadFileBytes(bad, out)) << "a folder or a missing file";
        EXPECT_EQ("", out);
        EXPECT_FALSE(Utils::ReadFileTail(bad, 10, out));
    }
}

TEST(DesktopPath, IsFound) {
    std::string desktop;
    EXPECT_TRUE(Utils::GetDesktopPathA(desktop));
    EXPECT_FALSE(desktop.empty());
}

}  // namespace
