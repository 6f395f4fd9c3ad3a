// Identity helpers, the display scale rule and the local time text.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/dpi.h"
#include "utils/system/identity.h"

namespace {

bool IsHex(wchar_t c, bool upper) {
    return (c >= L'0' && c <= L'9') ||
           (upper ? (c >= L'A' && c <= L'F') : (c >= L'a' && c <= L'f'));
}

TEST(RandomUuid, Has32DigitsWithTheThirdFieldInLowerCase) {
    std::wstring first, second;
    ASSERT_TRUE(Utils::RandomUuid(first));
    ASSERT_TRUE(Utils::RandomUuid(second));
    for (const std::wstring& uuid : {first, second}) {
        ASSERT_EQ(32u, uuid.size()) << Utils::WideToUtf8(uuid);
        for (size_t i = 0; i < uuid.size(); ++i) {
            const bool third = i >= 12 && i < 16;  // characters 13 to 16
            EXPECT_TRUE(IsHex(uuid[i], !third)) << Utils::WideToUtf8(uuid) << " at " << i + 1;
        }
    }
    EXPECT_NE(first, second);
}

TEST(FormatGuidText, WritesEachFieldInItsWidthAndCase) {
    const uint8_t bytes[8] = {0x01, 0xA2, 0x03, 0xB4, 0xC5, 0xD6, 0xE7, 0xF8};
    const uint8_t zeros[8] = {};
    const struct {
        uint32_t data1;
        uint16_t data2;
        uint16_t data3;
        const uint8_t* data4;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {0x1234ABCDu, 0xBEEF, 0xCAFE, bytes, L"1234ABCDBEEFcafe01A203B4C5D6E7F8",
         "third field lower case, all others upper case"},
        {0xAu, 0xB, 0xC, zeros, L"0000000A000B000c0000000000000000", "every field zero-padded"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Utils::FormatGuidText(c.data1, c.data2, c.data3, c.data4)) << c.why;
    }
}

TEST(GetOSBits, Is64OnThisMachine) {
    EXPECT_EQ(64, Utils::GetOSBits());
}

TEST(TimeGet, FormatsTheLocalTime) {
    const std::string now = Utils::TimeGet("%Y-%m-%d %H:%M:%S");
    EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << now;
    EXPECT_EQ("literal", Utils::TimeGet("literal"));
}

TEST(TimeGet, TextThatDoesNotFitGivesEmptyText) {
    // 255 characters fit with the terminator; 256 do not.
    EXPECT_EQ(std::string(255, 'x'), Utils::TimeGet(std::string(255, 'x')));
    EXPECT_EQ("", Utils::TimeGet(std::string(256, 'x')));
    EXPECT_EQ("", Utils::TimeGet(std::string(240, 'x') + "%Y-%m-%d %H:%M:%S"));
}

TEST(DpiToScale, GrowsByAQuarterPer24DotsAndNeverFallsBelowOne) {
    const struct {
        int dpi;
        double scale;
        const char* why;
    } cases[] = {
        {96, 1.0, "the base"},      {120, 1.25, "one step"},  {144, 1.5, "two steps"},
        {168, 1.75, "three steps"}, {192, 2.0, "four steps"}, {108, 1.125, "half a step"},
        {72, 1.0, "below 96"},      {0, 1.0, "no reading"},   {-96, 1.0, "nonsense"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.scale, Utils::DpiToScale(c.dpi)) << c.why << ": " << c.dpi;
    }
}

TEST(ParseXftDpi, ReadsTheXftDpiResource) {
    const struct {
        const char* resources;
        int dpi;
        const char* why;
    } cases[] = {
        {"Xft.dpi:\t144\n", 144, "the usual form"},
        {"Xft.antialias:\t1\nXft.dpi:\t120\nXft.hinting:\t1\n", 120, "among other resources"},
        {"Xft.dpi:\t144.0\n", 144, "a decimal value"},
        {"Xft.dpi: 192", 192, "last line without a line break"},
        {"Xft.dpi:\tabc\n", 0, "not a number"},
        {"Xft.dpi:\t0\n", 0, "zero is no reading"},
        {"Xft.dpi:\t-5\n", 0, "negative"},
        {"Xft.dpis:\t144\n", 0, "another resource"},
        {"Xcursor.size:\t24\n", 0, "no Xft.dpi"},
        {"", 0, "empty"},
        {nullptr, 0, "no resource string at all"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dpi, Utils::ParseXftDpi(c.resources)) << c.why;
    }
}

}  // namespace
