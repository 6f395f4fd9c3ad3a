// Round trips through the registry store, below a root of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/testsupport.h"
#include "utils/system/registry.h"

namespace {

const std::wstring kKey = L"Software\\Tavo";

class RegistryTest : public ::testing::Test {
  protected:
    // Creates kKey with a string and a DWORD value.
    void SetUp() override {
        Utils::RegistryKey key;
        ASSERT_EQ(Utils::kRegOk, key.CreateForSet(kKey));
        ASSERT_EQ(Utils::kRegOk, key.SetString(L"Version", L"1.2.3.4"));
        ASSERT_EQ(Utils::kRegOk, key.SetDword(L"Count", 7));
    }

    TestSupport::ScopedRegistryRoot root_;
};

TEST_F(RegistryTest, StringAndDwordComeBackAsSet) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(kKey));
    std::wstring text;
    uint32_t number = 0;
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"Version", text));
    EXPECT_EQ(L"1.2.3.4", text);
    EXPECT_EQ(Utils::kRegOk, key.QueryDword(L"Count", number));
    EXPECT_EQ(7u, number);
}

TEST_F(RegistryTest, ValuesOfEveryShapeSurviveTheRoundTrip) {
    const std::wstring texts[] = {L"", L"C:\\Program Files\\Tavo\\", L"浏览器 \"quoted\"",
                                  std::wstring(1000, L'x')};
    const uint32_t numbers[] = {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    Utils::RegistryKey set;
    ASSERT_EQ(Utils::kRegOk, set.OpenForSet(kKey));
    Utils::RegistryKey query;
    ASSERT_EQ(Utils::kRegOk, query.OpenForQuery(kKey));
    for (const std::wstring& value : texts) {
        ASSERT_EQ(Utils::kRegOk, set.SetString(L"Text", value));
        std::wstring out = L"unset";
        EXPECT_EQ(Utils::kRegOk, query.QueryString(L"Text", out));
        EXPECT_EQ(value, out);
    }
    for (const uint32_t value : numbers) {
        ASSERT_EQ(Utils::kRegOk, set.SetDword(L"Number", value));
        uint32_t out = 12345;
        EXPECT_EQ(Utils::kRegOk, query.QueryDword(L"Number", out));
        EXPECT_EQ(value, out);
    }
}

TEST_F(RegistryTest, FailuresAreSystemCodesAndLeaveTheOutputAlone) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(kKey));
    std::wstring text = L"kept";
    uint32_t number = 99;
    EXPECT_EQ(Utils::kRegNotFound, key.QueryString(L"Missing", text)) << "missing value";
    EXPECT_EQ(Utils::kRegNotFound, key.QueryDword(L"Missing", number)) << "missing value";
    EXPECT_EQ(Utils::kRegInvalidData, key.QueryDword(L"Version", number)) << "a string as DWORD";
    EXPECT_EQ(Utils::kRegInvalidData, key.QueryString(L"Count", text)) << "a DWORD as string";
    EXPECT_EQ(L"kept", text);
    EXPECT_EQ(99u, number);

    Utils::RegistryKey missing;
    EXPECT_EQ(Utils::kRegNotFound, missing.OpenForQuery(L"Software\\NoSuchKey"));
    EXPECT_EQ(Utils::kRegNotFound, missing.OpenForSet(L"Software\\NoSuchKey"));
    EXPECT_EQ(Utils::kRegNotFound, missing.OpenForRead(L"Software\\NoSuchKey"));
    EXPECT_FALSE(missing.IsOpen());
}

TEST_F(RegistryTest, StringLongerThanTheBufferGivesMoreData) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(kKey));
    // "1.2.3.4" takes 16 bytes as UTF-16 with its terminator.
    const struct {
        size_t maxBytes;
        long expected;
        const char* why;
    } cases[] = {
        {16, Utils::kRegOk, "exactly the room it needs"},
        {15, Utils::kRegMoreData, "one byte short"},
        {2, Utils::kRegMoreData, "room for the terminator only"},
    };
    for (const auto& c : cases) {
        std::wstring out = L"kept";
        EXPECT_EQ(c.expected, key.QueryString(L"Version", out, c.maxBytes)) << c.why;
        EXPECT_EQ(c.expected == Utils::kRegOk ? L"1.2.3.4" : L"kept", out) << c.why;
    }
}

TEST_F(RegistryTest, KeyOpenedForQueryRefusesToSet) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(kKey));
    EXPECT_EQ(Utils::kRegAccessDenied, key.SetString(L"Version", L"9"));
    EXPECT_EQ(Utils::kRegAccessDenied, key.SetDword(L"Count", 9));
    std::wstring text;
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"Version", text));
    EXPECT_EQ(L"1.2.3.4", text);
}

TEST_F(RegistryTest, ValueNamesIgnoreCase) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.CreateForSet(kKey));
    ASSERT_EQ(Utils::kRegOk, key.SetString(L"VERSION", L"5.0"));  // the same value
    std::wstring text;
    uint32_t number = 0;
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"version", text));
    EXPECT_EQ(L"5.0", text);
    EXPECT_EQ(Utils::kRegOk, key.QueryDword(L"COUNT", number));
    EXPECT_EQ(7u, number);
}

TEST_F(RegistryTest, CreateForSetKeepsAnExistingKeysValues) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.CreateForSet(kKey));
    std::wstring text;
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"Version", text));
    EXPECT_EQ(L"1.2.3.4", text);
}

TEST_F(RegistryTest, DeletedKeyIsGone) {
    EXPECT_EQ(Utils::kRegOk, Utils::DeleteRegistryKey(kKey));
    Utils::RegistryKey key;
    EXPECT_EQ(Utils::kRegNotFound, key.OpenForQuery(kKey));
    EXPECT_EQ(Utils::kRegNotFound, Utils::DeleteRegistryKey(kKey)) << "already gone";
    ASSERT_EQ(Utils::kRegOk, key.CreateForSet(kKey));
    std::wstring text = L"kept";
    EXPECT_EQ(Utils::kRegNotFound, key.QueryString(L"Version", text)) << "a new, empty key";
}

TEST_F(RegistryTest, ClosedAndMovedFromKeysAnswerWithoutTouchingAnything) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(kKey));
    Utils::RegistryKey moved(std::move(key));
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_FALSE(key.IsOpen());  // NOLINT(bugprone-use-after-move): the state after a move
    std::wstring text = L"kept";
    EXPECT_EQ(Utils::kRegInvalidHandle, key.QueryString(L"Version", text));
    EXPECT_EQ(Utils::kRegOk, key.OpenForQuery(kKey)) << "a moved-from key can be opened again";
    moved.Close();
    EXPECT_EQ(Utils::kRegInvalidHandle, moved.QueryString(L"Version", text));
    EXPECT_EQ(Utils::kRegInvalidHandle, moved.SetString(L"Version", L"x"));
    EXPECT_EQ(L"kept", text);
}

}  // namespace
