// The full installer's result text from the registry store, and the help
// address.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "services/deployment.h"
#include "services/installer_result.h"
#include "services/pipeline_config.h"
#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/identity.h"
#include "utils/system/registry.h"

namespace {

TEST(InstallerResult, TextOnlyForANonZeroResult) {
    const struct {
        bool key;
        std::optional<uint32_t> result;
        std::optional<std::wstring> text;
        std::wstring expected;
        const char* logged;  // the line that tells why, or "" for none
        const char* why;
    } cases[] = {
        {false,
         {},
         {},
         L"",
         "OUT:ERROR:Failed to open key:HKEY_CURRENT_USER\\Software\\Tavo\n",
         "no key"},
        {true,
         {},
         L"text",
         L"",
         "OUT:ERROR:Failed to query value:InstallerResult\n",
         "no InstallerResult"},
        {true, 0u, L"text", L"", "", "result 0: nothing to report, nothing logged"},
        {true, 7u, L"磁盘空间不足", L"磁盘空间不足",
         "OUT:INFO:InstallerResultUIString:磁盘空间不足\n", "result 7 with a text"},
        {true,
         7u,
         {},
         L"",
         "OUT:ERROR:Failed to query value:InstallerResultUIString\n",
         "result 7 without a text"},
    };
    for (const auto& c : cases) {
        TestSupport::ScopedRegistryRoot root;
        TestSupport::LogCapture log;
        if (c.key) {
            Utils::RegistryKey key;
            ASSERT_EQ(Utils::kRegOk, key.CreateForSet(L"Software\\Tavo"));
            if (c.result) {
                key.SetDword(L"InstallerResult", *c.result);
            }
            if (c.text) {
                key.SetString(L"InstallerResultUIString", *c.text);
            }
        }
        EXPECT_EQ(c.expected, Services::GetInstallerResultUIString()) << c.why;
        EXPECT_EQ(1u, log.Count("OUT:INFO:Services::GetInstallerResultUIString\n")) << c.why;
        if (*c.logged != '\0') {
            EXPECT_EQ(1u, log.Count(c.logged)) << c.why << "\n" << log.Text();
        } else {
            EXPECT_EQ(0u, log.Count("OUT:ERROR:")) << c.why;
            EXPECT_EQ(0u, log.Count("OUT:INFO:InstallerResult")) << c.why;
        }
        if (c.result == 7u) {
            EXPECT_EQ(1u, log.Count("OUT:INFO:InstallerResult:7\n")) << c.why;
        }
    }
}

TEST(HelpUrl, BaseOfTheModeThenTheThreeValuesUnescaped) {
    const std::wstring release = Utils::Utf8ToWide(Services::Deployment::kHelpSiteUrl);
    const std::wstring test = Utils::Utf8ToWide(Services::Deployment::kTestHelpSiteUrl);
    const struct {
        bool release;
        const wchar_t* name;
        const wchar_t* version;
        int bits;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {true, L"Microsoft Windows 10 Pro", L"10.0", 64,
         release + L"/help/?sourceType=2&comSystem=Microsoft Windows 10 Pro&coreVer=10.0&comBit=1",
         "release site; blanks stay; 64 bits give 1"},
        {false, L"Microsoft Windows 7 旗舰版", L"6.1", 32,
         test + L"/help/?sourceType=2&comSystem=Microsoft Windows 7 旗舰版&coreVer=6.1&comBit=0",
         "test site; 32 bits give 0"},
        {true, L"", L"", 64, release + L"/help/?sourceType=2&comSystem=&coreVer=&comBit=1",
         "failed queries leave their values empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, HelpUrl(c.release, c.name, c.version, c.bits)) << c.why;
    }
    EXPECT_EQ(0u, release.rfind(L"https://", 0)) << "the product site over https";
    EXPECT_EQ(0u, test.rfind(L"http://", 0));
    EXPECT_NE(std::wstring::npos, test.find(L":84")) << "the test site on port 84";
}

TEST(HelpUrl, BuildHelpUrlFollowsTheModeAndTheSystem) {
    const std::wstring bit = Utils::GetOSBits() == 64 ? L"1" : L"0";
    ParseCommandLine({L"TavoInstaller", L"--test"});
    const std::wstring testUrl = BuildHelpUrl();
    ParseCommandLine({L"TavoInstaller"});
    const std::wstring releaseUrl = BuildHelpUrl();
    EXPECT_EQ(0u, testUrl.rfind(Utils::Utf8ToWide(Services::Deployment::kTestHelpSiteUrl) +
                                    L"/help/?sourceType=2&comSystem=",
                                0));
    EXPECT_EQ(0u, releaseUrl.rfind(Utils::Utf8ToWide(Services::Deployment::kHelpSiteUrl) +
                                       L"/help/?sourceType=2&comSystem=",
                                   0));
    EXPECT_EQ(L"&comBit=" + bit, releaseUrl.substr(releaseUrl.size() - 9));
    EXPECT_NE(std::wstring::npos, releaseUrl.find(L"&coreVer="));
}

}  // namespace
