// Windows only: the quoted values of the full installer's command line
// through the system's own CommandLineToArgvW, and the window handle that
// the full installer is given.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/launch.h"
#include "services/main_window_link.h"
#include "tests/support/command_line_win.h"
#include "tests/launch_quote_cases.h"
#include "utils/log/textconv.h"

namespace {

using TestSupport::SystemSplit;

TEST(InstallerCommandLineWin, CommandLineToArgvWGivesTheValuesBack) {
    for (const LaunchTests::QuoteCase& c : LaunchTests::QuoteCases()) {
        const std::wstring line =
            L"--from-tavo-setup --config-path=" + QuoteCommandLineValue(c.value) + L" --test";
        EXPECT_EQ((std::vector<std::wstring>{L"--from-tavo-setup", L"--config-path=" + c.value,
                                             L"--test"}),
                  SystemSplit(line))
            << c.why << ": " << Utils::WideToUtf8(line);
    }
}

class LinkWithHandle : public MainWindowLink {
  public:
    bool Post(uint32_t, intptr_t) override { return false; }
    intptr_t Handle() const override { return 0x2A04; }
};

TEST(StopRequestTargetWin, IsTheHandleOfTheMainWindow) {
    EXPECT_EQ(0, StopRequestTarget()) << "no window";
    LinkWithHandle window;
    SetMainWindow(&window);
    EXPECT_EQ(0x2A04, StopRequestTarget());
    SetMainWindow(nullptr);
}

}  // namespace
