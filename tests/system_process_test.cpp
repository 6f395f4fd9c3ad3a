// Process launching on both platforms, against the test child (tests/child):
// its exit code and the record of its command line come from the arguments
// each test gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/testsupport.h"
#include "tests/system_cmdline_cases.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/process.h"

using TestSupport::ReadBytes;
using TestSupport::TempDir;

namespace {

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Utils::ClearPendingFaultsForTesting();
        ASSERT_TRUE(TestSupport::Exists(child_)) << Utils::WideToUtf8(child_);
    }
    void TearDown() override { Utils::ClearPendingFaultsForTesting(); }

    std::wstring OutArg() const { return L"--out=" + out_; }

    const std::wstring child_ = TestSupport::SiblingProgram(L"tavo_test_child");
    TempDir dir_;
    const std::wstring out_ = dir_.Child(L"record.txt");
    TestSupport::LogCapture log_;
};

TEST_F(ProcessTest, ExitCodesComeBackAsTheChildLeftThem) {
    const struct {
        const wchar_t* exitArg;
        int expected;
        size_t faults;
        const char* why;
    } cases[] = {
        {L"--exit=0", 0, 0, "success"},
        {L"--exit=3", 3, 0, "any other code is passed through"},
        {L"--exit=-1", -1, 1, "-1 (all bits set; 255 on Linux) queues the fault system-1"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        EXPECT_EQ(c.expected, Utils::ExecutExeAtNewProcess(child_, OutArg() + L" " + c.exitArg))
            << c.why;
        EXPECT_TRUE(TestSupport::Exists(out_)) << c.why;  // the child really ran
        const std::vector<Utils::FaultInfo> faults = Utils::PendingFaults();
        ASSERT_EQ(c.faults, faults.size()) << c.why;
        if (c.faults == 1) {
            EXPECT_EQ("system-1", faults[0].strErrorId);
            EXPECT_EQ("dwExitCode==-1", faults[0].strContent);
            EXPECT_EQ(900, faults[0].nBugCode);
        }
    }
    EXPECT_EQ(0u, log_.Count("OUT:ERROR:")) << log_.Text();
}

TEST_F(ProcessTest, MissingProgramGivesMinusOneAndOneErrorLineWithErrorTwo) {
    const std::wstring missing = dir_.Child(L"no-such-program") + TestSupport::ProgramSuffix();
    EXPECT_EQ(-1, Utils::ExecutExeAtNewProcess(missing, L"--exit=0 x"));

    // The line ends with the error number, a comma and the system's text
    // (the log reads "\r\n" back as "\n").
    std::string systemText = Utils::WideToUtf8(Utils::SystemErrorToStringW(2));
    systemText.erase(std::remove(systemText.begin(), systemText.end(), '\r'), systemText.end());
    ASSERT_GT(systemText.size(), 2u) << "the system has a text for error 2";
    const std::string log = log_.Text();
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:")) << log;
    EXPECT_NE(std::string::npos,
              log.find("OUT:ERROR:CreateProcessA failed, strExe:" + Utils::WideToUtf8(missing) +
                       ",strArgv:--exit=0 x\n" + systemText))
        << log;
    EXPECT_TRUE(Utils::PendingFaults().empty()) << "a start failure queues no fault";
    // The line names the launcher, in its own file, not a helper: the log
    // tail that travels with the report is searched for it.
    const std::regex site(
        R"(FILE:process_(win|posix)\.cpp-Utils::ExecutExeAtNewProcess-\(\d+\) \| OUT:ERROR:CreateProcessA failed)");
    EXPECT_TRUE(std::regex_search(log, site)) << log;
}

TEST_F(ProcessTest, StartFailureWithAnEmptyArgumentTextKeepsTheErrorText) {
    const std::wstring missing = dir_.Child(L"no-such-program") + TestSupport::ProgramSuffix();
    EXPECT_EQ(-1, Utils::ExecutExeAtNewProcess(missing, L""));
    EXPECT_NE(std::string::npos, log_.Text().find(",strArgv:\n2,")) << log_.Text();
}

TEST_F(ProcessTest, ArgumentTextsOfTheBufferSizeOrMoreAreRefusedNotCut) {
    std::wstring arguments = OutArg() + L" ";
    arguments.append(Utils::kCommandLineCapacity - arguments.size(), L'a');
    ASSERT_EQ(40960u, arguments.size());
    EXPECT_EQ(-1, Utils::ExecutExeAtNewProcess(child_, arguments));
    EXPECT_FALSE(TestSupport::Exists(out_)) << "the child must not run with a cut text";
    EXPECT_EQ(1u, log_.Count("OUT:ERROR:CreateProcessA failed, strExe:"));
    EXPECT_TRUE(Utils::PendingFaults().empty());
}

TEST_F(ProcessTest, StartPrcessReportsWhetherTheProcessWasCreated) {
    TestSupport::ScopedEnv out("TAVO_CHILD_OUT", Utils::WideToUtf8(out_));
    EXPECT_TRUE(Utils::StartPrcess(child_));
    EXPECT_FALSE(Utils::StartPrcess(dir_.Child(L"missing") + TestSupport::ProgramSuffix()));
    EXPECT_EQ(0u, log_.Count("OUT:ERROR:")) << "a failed start is not logged";
    // Nothing waits for the child: wait for its record here (a generous
    // bound against a hang, not a time limit on the child).
    for (int i = 0; i < 6000 && !TestSupport::Exists(out_); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(TestSupport::Exists(out_)) << "the child started";
}

TEST(SplitCommandLine, FollowsTheRulesOfCommandLineToArgvW) {
    for (const SystemTests::CommandLineCase& c : SystemTests::CommandLineCases()) {
        EXPECT_EQ(c.words, Utils::SplitCommandLine(c.line))
            << c.why << ": " << Utils::WideToUtf8(c.line);
    }
}

TEST(SplitCommandLine, EmptyTextGivesNoWordsAndTheTextEndsAtAZero) {
    EXPECT_TRUE(Utils::SplitCommandLine(L"").empty());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}),
              Utils::SplitCommandLine(std::wstring(L"a b\0c d", 7)));
}

}  // namespace
