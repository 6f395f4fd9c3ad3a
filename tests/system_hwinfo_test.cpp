// Hardware and OS identifiers on the machine the tests run on (Linux, or
// Windows under Wine): only shapes and rules, never a machine's own values.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/hwinfo.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return Utils::WideToUtf8(text);
}

bool IsQueryResult(int code) {
    for (const int known :
         {Utils::kWmiOk, Utils::kWmiComInitFailed, Utils::kWmiLocatorFailed,
          Utils::kWmiConnectFailed, Utils::kWmiBlanketFailed, Utils::kWmiQueryFailed}) {
        if (code == known) {
            return true;
        }
    }
    return false;
}

TEST(CpuID2, SixteenUpperCaseHexDigitsAndStable) {
    std::wstring first = L"stale", second;
    EXPECT_EQ(0, Utils::GetCpuID2(first));
    EXPECT_EQ(0, Utils::GetCpuID2(second));
    EXPECT_TRUE(std::regex_match(Narrow(first), std::regex("[0-9A-F]{16}"))) << Narrow(first);
    EXPECT_EQ(first, second);
}

TEST(OSVersion, MajorDotMinorAndAlwaysZero) {
    std::wstring version = L"stale";
    EXPECT_EQ(0, Utils::GetOSVersion(version));
    EXPECT_TRUE(std::regex_match(Narrow(version), std::regex("\\d+\\.\\d+"))) << Narrow(version);
}

TEST(OSFullName, TheProductNameWithoutTheFolderParts) {
    std::wstring name = L"stale";
    ASSERT_EQ(0, Utils::GetOSFullName(name));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(std::wstring::npos, name.find(L'|')) << Narrow(name);
}

TEST(Identifiers, ClearTheOutputAndHoldOneValueAtMost) {
    const struct {
        int (*query)(std::wstring&);
        const char* name;
    } cases[] = {
        {Utils::GetMainboardUUID, "mainboard"},
        {Utils::GetBiosID, "BIOS"},
        {Utils::GetDiskID, "disk"},
        {Utils::GetMemoryID, "memory"},
        {Utils::GetIP, "IP"},
        {Utils::GetMac, "MAC"},
    };
    for (const auto& c : cases) {
        std::wstring value = L"stale";
        const int code = c.query(value);
        EXPECT_TRUE(IsQueryResult(code)) << c.name << " " << code;
        EXPECT_NE(L"stale", value) << c.name;
        if (code != 0) {
            EXPECT_TRUE(value.empty()) << c.name;
        }
    }
}

TEST(Identifiers, MacUsesDashesAndDiskSerialHasNoBlanks) {
    std::wstring mac, disk;
    if (Utils::GetMac(mac) == 0 && !mac.empty()) {
        EXPECT_EQ(std::wstring::npos, mac.find(L':')) << Narrow(mac);
    }
    if (Utils::GetDiskID(disk) == 0) {
        for (const wchar_t c : disk) {
            EXPECT_GT(c, L' ') << Narrow(disk);
        }
    }
}

}  // namespace
