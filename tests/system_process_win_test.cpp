// Windows only: the child's own view of its command line, and the splitter
// checked against the system's CommandLineToArgvW.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/command_line_win.h"
#include "tests/support/testsupport.h"
#include "tests/system_cmdline_cases.h"
#include "utils/log/textconv.h"
#include "utils/system/process.h"

using TestSupport::ReadBytes;
using TestSupport::TempDir;

namespace {

using TestSupport::SystemSplit;

const std::wstring kChild = TestSupport::SiblingProgram(L"tavo_test_child");

TEST(WindowsProcess, ArgumentTextIsTheWholeCommandLineUnchanged) {
    TempDir dir;
    const std::wstring out = dir.Child(L"record.txt");
    const std::wstring cases[] = {
        L"--out=" + out,
        L"--out=" + out + L"  \"two words\"\t\\\"x\\\\ 安装 --exit=0  ",
        L"-s --out=" + out + L" \"\" ",
    };
    for (const std::wstring& arguments : cases) {
        ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(kChild, arguments));
        EXPECT_EQ(Utils::WideToUtf8(arguments), ReadBytes(out))
            << "no program path in front, nothing quoted";
    }
}

TEST(WindowsProcess, EmptyArgumentTextPassesNoCommandLine) {
    TempDir dir;
    const std::wstring out = dir.Child(L"record.txt");
    TestSupport::ScopedEnv env("TAVO_CHILD_OUT", Utils::WideToUtf8(out));
    ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(kChild, L""));
    // With no command line the system makes one of the program path (Wine
    // puts it in quotes, Windows does not).
    std::string line = ReadBytes(out);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
        line = line.substr(1, line.size() - 2);
    }
    EXPECT_EQ(Utils::WideToUtf8(kChild), line);
}

TEST(WindowsProcess, SplitCommandLineAgreesWithCommandLineToArgvW) {
    for (const SystemTests::CommandLineCase& c : SystemTests::CommandLineCases()) {
        EXPECT_EQ(SystemSplit(c.line), Utils::SplitCommandLine(c.line))
            << c.why << ": " << Utils::WideToUtf8(c.line);
    }
}

}  // namespace
