// The full installer's command line: its pieces in order, the two blanks
// after "--verbose-logging", and values with blanks quoted so that the
// platform's argument splitting gives them back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/launch.h"
#include "tests/launch_quote_cases.h"
#include "utils/log/textconv.h"
#include "utils/system/process.h"

namespace {

TEST(InstallerCommandLine, PiecesInTheirOrder) {
    LaunchRequest all;
    all.installerPath = L"C:\\t\\TavoSetup.exe";
    all.configPath = L"C:\\t\\config.ini";
    all.bookmarkUrl = L"http://s/Bookmarks";
    all.faviconUrl = L"http://s/Favicons";
    all.importRuleUrl = L"http://s/ImportRule.ini";
    all.topSitesUrl = L"http://s/TopSites.ini";
    all.uuid = L"0123456789ABCDEF0123456789ABCDEF";
    all.zelInstallPath = L"D:\\";
    LaunchRequest minimal;
    minimal.installerPath = all.installerPath;
    minimal.uuid = all.uuid;
    LaunchRequest spaced = minimal;
    spaced.configPath = L"C:\\Users\\Wang Wei\\Temp\\config.ini";

    const struct {
        LaunchRequest request;
        bool release;
        intptr_t stopTarget;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {minimal, true, 590458,
         L"--from-tavo-setup --verbose-logging  --uuid=0123456789ABCDEF0123456789ABCDEF "
         L"--yindaohwnd=590458",
         "nothing optional: two blanks before --uuid=, the window handle last"},
        {minimal, true, 0,
         L"--from-tavo-setup --verbose-logging  --uuid=0123456789ABCDEF0123456789ABCDEF",
         "no window: no --yindaohwnd="},
        {minimal, false, -42,
         L"--from-tavo-setup --verbose-logging  --uuid=0123456789ABCDEF0123456789ABCDEF --test "
         L"--yindaohwnd=-42",
         "test mode; the handle is a signed number"},
        {all, false, 7,
         L"--from-tavo-setup --verbose-logging  --uuid=0123456789ABCDEF0123456789ABCDEF "
         L"--config-path=C:\\t\\config.ini --test --bookmark-url=http://s/Bookmarks "
         L"--favicon-url=http://s/Favicons --import-rule-url=http://s/ImportRule.ini "
         L"--topsites-url=http://s/TopSites.ini --yindaohwnd=7 --zel_install_path=D:\\",
         "every piece, in its place"},
        {spaced, true, 0,
         L"--from-tavo-setup --verbose-logging  --uuid=0123456789ABCDEF0123456789ABCDEF "
         L"--config-path=\"C:\\Users\\Wang Wei\\Temp\\config.ini\"",
         "a configuration path with a blank is quoted"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, BuildInstallerCommandLine(c.request, c.release, c.stopTarget))
            << c.why;
    }
}

TEST(InstallerCommandLine, QuotedValuesComeBackFromTheSplit) {
    for (const LaunchTests::QuoteCase& c : LaunchTests::QuoteCases()) {
        EXPECT_EQ(c.written, QuoteCommandLineValue(c.value)) << c.why;
        const std::wstring line = L"--from-tavo-setup --config-path=" + c.written + L" --test";
        EXPECT_EQ((std::vector<std::wstring>{L"--from-tavo-setup", L"--config-path=" + c.value,
                                             L"--test"}),
                  Utils::SplitCommandLine(line))
            << c.why << ": " << Utils::WideToUtf8(line);
    }
}

TEST(InstallerCommandLine, EveryValueOfTheLineComesBackFromTheSplit) {
    LaunchRequest r;
    r.uuid = L"old \"guid\"";
    r.configPath = L"C:\\Users\\Wang Wei\\Temp\\config.ini";
    r.bookmarkUrl = L"http://s/Bookmarks";
    r.zelInstallPath = L"E:\\My Drive\\";
    EXPECT_EQ((std::vector<std::wstring>{L"--from-tavo-setup", L"--verbose-logging",
                                         L"--uuid=old \"guid\"",
                                         L"--config-path=C:\\Users\\Wang Wei\\Temp\\config.ini",
                                         L"--bookmark-url=http://s/Bookmarks", L"--yindaohwnd=12",
                                         L"--zel_install_path=E:\\My Drive\\"}),
              Utils::SplitCommandLine(BuildInstallerCommandLine(r, true, 12)));
}

}  // namespace
