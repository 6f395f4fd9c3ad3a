#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/testsupport.h"
#include "utils/json/jsonutils.h"
#include "utils/log/fileutil.h"

namespace {

TEST(JsonReadFile, AcceptsOneJsonTextOnly) {
    TestSupport::TempDir dir;
    const struct {
        const char* name;
        const char* contents;  // null: no file at all
        int result;
        const char* why;
    } cases[] = {
        {"missing.json", nullptr, -1, "file does not exist"},
        {"empty.json", "", -1, "empty file"},
        {"blanks.json", "  \n\t ", -1, "only blanks"},
        {"bom.json", "\xEF\xBB\xBF{\"guid\":\"abc\"}", 0, "UTF-8 byte-order mark is skipped"},
        {"two.json", "{\"a\":1} {\"b\":2}", -1, "trailing second value"},
        {"comment.json", "{\"a\":1} // note", -1, "comments are not allowed"},
        {"crlf.json", "{\r\n\"a\": 1\r\n}\r\n", 0, "CR LF line ends"},
        {"number.json", "5", 0, "any JSON text, not only objects"},
        {"folder.json", nullptr, -1, "a folder of that name: refused, never thrown"},
    };
    for (const auto& c : cases) {
        const std::wstring path = dir.Child(std::wstring(c.name, c.name + strlen(c.name)));
        if (c.contents != nullptr) {
            ASSERT_TRUE(TestSupport::WriteBytes(path, c.contents));
        } else if (std::string(c.name) == "folder.json") {
            std::filesystem::create_directory(Utils::NativePath(path));
        }
        nlohmann::json value = {{"stale", true}};
        EXPECT_EQ(c.result, Utils::JsonReadFile(path, value)) << c.why;
        EXPECT_EQ(c.result != 0, value.is_discarded()) << c.why;
    }
}

TEST(JsonReadFile, ReadsTheMembers) {
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::WriteBytes(dir.Child(L"config.ini"), "{\"guid\":\"abc\",\"n\":5}"));
    nlohmann::json value;
    ASSERT_EQ(0, Utils::JsonReadFile(dir.Child(L"config.ini"), value));
    EXPECT_EQ("abc", value["guid"]);
    EXPECT_EQ(5, value["n"]);
}

TEST(JsonStringify, CompactWithSortedMembers) {
    nlohmann::json inserted;
    inserted["b"] = 2;
    inserted["a"] = 1;
    std::string text = "stale";
    EXPECT_EQ(0, Utils::JsonStringify(inserted, text));
    EXPECT_EQ("{\"a\":1,\"b\":2}", text);

    EXPECT_EQ(0, Utils::JsonStringify(nlohmann::json::parse(R"({ "b" : [ true, null ], "a" : 1 })"),
                                      text));
    EXPECT_EQ("{\"a\":1,\"b\":[true,null]}", text);
}

TEST(JsonStringify, Utf8KeptAndInvalidBytesReplaced) {
    std::string text;
    Utils::JsonStringify(nlohmann::json{{"os", "\xE4\xB8\xAD"}}, text);
    EXPECT_EQ("{\"os\":\"\xE4\xB8\xAD\"}", text) << "non-ASCII stays UTF-8, not \\u escapes";

    Utils::JsonStringify(nlohmann::json{{"errLog", std::string("a\xFF"
                                                               "b")}},
                         text);
    EXPECT_EQ(
        "{\"errLog\":\"a\xEF\xBF\xBD"
        "b\"}",
        text)
        << "U+FFFD in place of the bad byte";
}

TEST(JsonErrorToStringA, NamesTheCodes) {
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {0, "JSON_OK"},
        {1, "JSON_ERROR_UNKNOWN"},
        {2, "JSON_ERROR_PARSE"},
        {3, "JSON_ERROR_FILE_OPEN"},
        {4, "JSON_ERROR_FILE_READ"},
        {5, "JSON_ERROR_FILE_WRITE"},
        {6, "RSA_ERROR_UNDEFINE"},
        {-1, "RSA_ERROR_UNDEFINE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, Utils::JsonErrorToStringA(c.code)) << c.code;
    }
}

}  // namespace
