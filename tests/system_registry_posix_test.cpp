// Linux only: the registry store's file, which the full installer reads and
// writes too (the layout documented in utils/system/registry.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/registry.h"

using TestSupport::ReadBytes;
using TestSupport::ScopedEnv;
using TestSupport::TempDir;
using TestSupport::WriteBytes;

namespace {

TEST(PosixRegistry, KeyIsAJsonFileBelowXdgConfigHome) {
    TempDir config;
    ScopedEnv env("XDG_CONFIG_HOME", Utils::WideToUtf8(config.path()));
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.CreateForSet(L"Software\\Tavo"));
    ASSERT_EQ(Utils::kRegOk, key.SetString(L"InstallPath", L"/opt/tavo 浏览器"));
    ASSERT_EQ(Utils::kRegOk, key.SetDword(L"Status", 4294967295u));

    const std::wstring file = config.Child(L"tavo/registry/HKEY_CURRENT_USER/Software/Tavo.json");
    const nlohmann::json stored = nlohmann::json::parse(ReadBytes(file), nullptr, false);
    const nlohmann::json expected = {
        {"InstallPath", {{"type", "REG_SZ"}, {"data", "/opt/tavo 浏览器"}}},
        {"Status", {{"type", "REG_DWORD"}, {"data", 4294967295u}}},
    };
    EXPECT_EQ(expected, stored) << ReadBytes(file);
    // Replaced through a temporary file: nothing else is left in the folder.
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             Utils::WideToUtf8(config.Child(L"tavo/registry/HKEY_CURRENT_USER/Software")))) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(1u, entries);
    EXPECT_EQ(Utils::kRegOk, Utils::DeleteRegistryKey(L"Software\\Tavo"));
    EXPECT_FALSE(TestSupport::Exists(file));
}

class PosixRegistryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(Utils::WideToUtf8(root_.root() + L"/Software"));
    }
    std::wstring File() const { return root_.root() + L"/Software/Tavo.json"; }

    TestSupport::ScopedRegistryRoot root_;
};

TEST_F(PosixRegistryFile, ValuesWrittenByTheFullInstallerAreRead) {
    ASSERT_TRUE(WriteBytes(File(), R"({
  "Uuid": {"type": "REG_SZ", "data": "0123ABCD"},
  "version": {"type": "REG_SZ", "data": "12.0.1"},
  "Flags": {"type": "REG_DWORD", "data": 3},
  "Other": {"type": "REG_BINARY", "data": "AQID"}
})"));
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(L"Software\\Tavo"));
    std::wstring text;
    uint32_t number = 0;
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"Uuid", text));
    EXPECT_EQ(L"0123ABCD", text);
    EXPECT_EQ(Utils::kRegOk, key.QueryString(L"Version", text)) << "names ignore case";
    EXPECT_EQ(L"12.0.1", text);
    EXPECT_EQ(Utils::kRegOk, key.QueryDword(L"Flags", number));
    EXPECT_EQ(3u, number);
    EXPECT_EQ(Utils::kRegInvalidData, key.QueryString(L"Other", text)) << "another type";
}

TEST_F(PosixRegistryFile, MalformedEntriesAreInvalidData) {
    ASSERT_TRUE(WriteBytes(File(), R"({
  "NoType": {"data": "x"},
  "NumberType": {"type": 5, "data": "x"},
  "NoData": {"type": "REG_SZ"},
  "Plain": "x",
  "NumberAsText": {"type": "REG_DWORD", "data": "7"},
  "Negative": {"type": "REG_DWORD", "data": -1},
  "TooBig": {"type": "REG_DWORD", "data": 4294967296},
  "TextAsNumber": {"type": "REG_SZ", "data": 7}
})"));
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(L"Software\\Tavo"));
    for (const wchar_t* name : {L"NoType", L"NumberType", L"NoData", L"Plain", L"TextAsNumber"}) {
        std::wstring text = L"kept";
        EXPECT_EQ(Utils::kRegInvalidData, key.QueryString(name, text)) << Utils::WideToUtf8(name);
        EXPECT_EQ(L"kept", text);
    }
    for (const wchar_t* name : {L"NumberAsText", L"Negative", L"TooBig", L"NumberType"}) {
        uint32_t number = 99;
        EXPECT_EQ(Utils::kRegInvalidData, key.QueryDword(name, number)) << Utils::WideToUtf8(name);
        EXPECT_EQ(99u, number);
    }
}

TEST_F(PosixRegistryFile, DamagedFileIsNeverOverwritten) {
    const struct {
        const char* contents;
        const char* why;
    } cases[] = {
        {"{\"Uuid\": {\"type\": \"REG_SZ\", \"data\": \"x\"}", "cut off"},
        {"[1, 2]", "not an object"},
        {"", "empty"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(File(), c.contents));
        Utils::RegistryKey key;
        ASSERT_EQ(Utils::kRegOk, key.CreateForSet(L"Software\\Tavo")) << c.why;
        EXPECT_EQ(Utils::kRegInvalidData, key.SetString(L"Uuid", L"new")) << c.why;
        EXPECT_EQ(Utils::kRegInvalidData, key.SetDword(L"Flags", 1)) << c.why;
        std::wstring text = L"kept";
        EXPECT_EQ(Utils::kRegInvalidData, key.QueryString(L"Uuid", text)) << c.why;
        EXPECT_EQ(c.contents, ReadBytes(File())) << c.why;
    }
}

}  // namespace

namespace {

TEST_F(PosixRegistryFile, KeyFileTurnedIntoAFolderReadsAsDamaged) {
    ASSERT_TRUE(WriteBytes(File(), R"({"pv": {"type": "REG_SZ", "data": "1.0"}})"));
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.OpenForQuery(L"Software\\Tavo"));
    std::filesystem::remove(Utils::WideToUtf8(File()));
    std::filesystem::create_directory(Utils::WideToUtf8(File()));
    std::wstring value = L"untouched";
    EXPECT_EQ(Utils::kRegInvalidData, key.QueryString(L"pv", value));
    EXPECT_EQ(L"untouched", value);
}

}  // namespace
