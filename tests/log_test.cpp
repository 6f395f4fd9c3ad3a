#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"

using TestSupport::ReadBytes;
using TestSupport::TempDir;

namespace {

// Points the log at a fresh folder for each test, and back afterwards.
class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedDir_ = Utils::g_wstrLogDir.substr(0, Utils::g_wstrLogDir.size() - 1);
        Utils::ResetLogForTesting(dir_.path());
    }
    void TearDown() override { Utils::ResetLogForTesting(savedDir_); }

    std::string Log() const { return ReadBytes(Utils::g_wstrLogFile); }

    TempDir dir_;
    std::wstring savedDir_;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    const std::string end = TestSupport::NativeLineEnd();
    size_t pos = 0;
    for (size_t next; (next = text.find(end, pos)) != std::string::npos; pos = next + end.size()) {
        lines.push_back(text.substr(pos, next - pos));
    }
    return lines;
}

namespace Sample {
int Function() {
    return LOG_ENTRY();
}
}  // namespace Sample

TEST_F(LogTest, LineHasTheFixedFormat) {
    EXPECT_EQ(0,
              Utils::LogA(1, Utils::kLogTag, Utils::g_wstrLogDir, "C:\\src\\services\\services.cpp",
                          "Services::DoWork", 126, "INFO:", "Services::DoWork", ""));
    const std::regex line(
        R"(\[TIME:\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] \| FILE:services\.cpp-Services::DoWork-\(126\) \| OUT:INFO:Services::DoWork)");
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(1u, lines.size()) << Log();
    EXPECT_TRUE(std::regex_match(lines[0], line)) << lines[0];
}

TEST_F(LogTest, MacrosFillBaseNameQualifiedFunctionAndLine) {
    EXPECT_EQ(0, Sample::Function());
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("| FILE:log_test.cpp-{anonymous}::Sample::Function-("))
        << log;
    EXPECT_NE(std::string::npos, log.find("| OUT:INFO:{anonymous}::Sample::Function")) << log;
}

TEST_F(LogTest, SourcePathIsCutAfterItsLastSeparator) {
    const struct {
        const char* path;
        const char* shown;
    } cases[] = {
        {"C:\\a\\b\\c.cpp", "c.cpp"},    // backslash paths (MSVC style)
        {"/home/u/src/d.cpp", "d.cpp"},  // GCC and MinGW give slashes
        {"e.cpp", "e.cpp"},              // no separator: shown whole
        {"x\\y/f.cpp", "f.cpp"},         // mixed
    };
    for (const auto& c : cases) {
        Utils::LogA(1, Utils::kLogTag, Utils::g_wstrLogDir, c.path, "F", 1, "INFO:", "x", "");
    }
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(std::size(cases), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NE(std::string::npos,
                  lines[i].find(std::string("FILE:") + cases[i].shown + "-F-(1)"))
            << lines[i];
    }
}

TEST_F(LogTest, PiecesStopAtTheFirstEmptyOne) {
    Utils::LogA(1, Utils::kLogTag, Utils::g_wstrLogDir, "f.cpp", "F", 1, "INFO:", "a", "", "b", "");
    Utils::LogA(2, Utils::kLogTag, Utils::g_wstrLogDir, "f.cpp", "F", 2, "ERROR:", std::string("c"),
                std::string(), "d", "");
    Utils::LogW(1, Utils::kLogTag, Utils::g_wstrLogDir, "f.cpp", "F", 3, L"INFO:", L"e", L"", L"f",
                L"");
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("OUT:INFO:a", lines[0].substr(lines[0].find("OUT:")));
    EXPECT_EQ("OUT:ERROR:c", lines[1].substr(lines[1].find("OUT:")));
    EXPECT_EQ("OUT:INFO:e", lines[2].substr(lines[2].find("OUT:")));
}

TEST_F(LogTest, WideTextIsStoredAsUtf8AndNarrowTextByteForByte) {
    LOGW_INFO(L"安装完毕。");
    LOG_INFO("\xB0\xB2\xD7\xB0");  // GBK bytes, not UTF-8: kept as they are
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(
        std::string::npos,
        lines[0].find("OUT:INFO:\xE5\xAE\x89\xE8\xA3\x85\xE5\xAE\x8C\xE6\xAF\x95\xE3\x80\x82"));
    EXPECT_NE(std::string::npos, lines[1].find("OUT:INFO:\xB0\xB2\xD7\xB0"));
}

TEST_F(LogTest, LineBreakInsideMessageIsWrittenAsTheNativeLineEnd) {
    LOG_ERROR("first", "\n", "second");
    const std::string log = Log();
    const std::string end = TestSupport::NativeLineEnd();
    EXPECT_NE(std::string::npos, log.find("OUT:ERROR:first" + end + "second" + end)) << log;
    const std::vector<std::string> lines = SplitLines(log);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("[TIME:"));
    EXPECT_EQ("second", lines[1]);  // the next line does not start with [TIME:
}

TEST_F(LogTest, FirstWriteRenamesThePreviousRunsFile) {
    // First run on a clean machine: no rename.
    LOG_INFO("run1");
    EXPECT_FALSE(TestSupport::Exists(Utils::g_wstrLogFileOld));
    EXPECT_NE(std::string::npos, Log().find("run1"));

    // Second run: the first line renames the file and starts a new one.
    Utils::ResetLogForTesting(dir_.path());
    LOG_INFO("run2");
    LOG_INFO("run2b");
    EXPECT_NE(std::string::npos, ReadBytes(Utils::g_wstrLogFileOld).find("run1"));
    EXPECT_EQ(std::string::npos, Log().find("run1"));
    EXPECT_EQ(2u, SplitLines(Log()).size());

    // Third run, both files present: no rename, lines are appended.
    Utils::ResetLogForTesting(dir_.path());
    LOG_INFO("run3");
    const std::string old = ReadBytes(Utils::g_wstrLogFileOld);
    EXPECT_NE(std::string::npos, old.find("run1"));
    EXPECT_EQ(std::string::npos, old.find("run2"));
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("run2"));
    EXPECT_NE(std::string::npos, lines[2].find("run3"));
}

TEST_F(LogTest, ErrorCopyReceivesLevelTwoLinesOnly) {
    Utils::g_strErrorLogFile = Utils::WideToUtf8(dir_.Child(L"copy.log"));
    Utils::g_bErrorLogEnabled = true;
    LOG_INFO("info line");
    LOG_ERROR("error line");
    const std::vector<std::string> main = SplitLines(Log());
    const std::vector<std::string> copy = SplitLines(ReadBytes(dir_.Child(L"copy.log")));
    ASSERT_EQ(2u, main.size());
    ASSERT_EQ(1u, copy.size());
    EXPECT_EQ(main[1], copy[0]);
}

TEST_F(LogTest, ErrorCopyStaysOffWithoutTheFlagFile) {
    Utils::SetErrorLogFlagFileForTesting(Utils::WideToUtf8(dir_.Child(L"missing.debug")));
    EXPECT_FALSE(Utils::EnableDesktopErrorLog());
    EXPECT_FALSE(Utils::g_bErrorLogEnabled);
}

TEST_F(LogTest, UnwritableFolderGivesMinusTwoAndNoFile) {
    ASSERT_TRUE(TestSupport::WriteBytes(dir_.Child(L"plain"), "x"));
    Utils::ResetLogForTesting(dir_.Child(L"plain"));  // a folder inside a file
    EXPECT_EQ(-2, LOG_INFO("lost"));
    EXPECT_EQ(-2, LOG_ERROR("lost too"));
}

TEST_F(LogTest, ConcurrentWritersProduceWholeLines) {
    constexpr int kLines = 200;
    auto writer = [] {
        for (int i = 0; i < kLines; ++i) {
            LOG_INFO("concurrent line ", std::to_string(i));
        }
    };
    std::thread a(writer), b(writer);
    a.join();
    b.join();
    const std::vector<std::string> lines = SplitLines(Log());
    ASSERT_EQ(2u * kLines, lines.size());
    for (const std::string& line : lines) {
        ASSERT_EQ(0u, line.find("[TIME:")) << line;
        ASSERT_NE(std::string::npos, line.find("OUT:INFO:concurrent line ")) << line;
    }
}

TEST(QualifiedFunctionName, StripsReturnTypeAndParameters) {
    const struct {
        const char* pretty;
        const char* name;
    } cases[] = {
        {"void Services::DoWork()", "Services::DoWork"},
        {"int Utils::CheckFileW(const std::wstring&)", "Utils::CheckFileW"},
        {"static void CVorlinInstallerDlg::OnTimer(UINT_PTR)", "CVorlinInstallerDlg::OnTimer"},
        {"std::map<int, int> Utils::Table<T>::Get(T) [with T = int]", "Utils::Table<T>::Get"},
        {"Services::DoWork()::<lambda()>", "Services::DoWork"},  // inside a lambda
        {"Utils::Holder::Holder()", "Utils::Holder::Holder"},    // constructor: no return type
        {"bool Utils::Less::operator()(int, int) const", "Utils::Less::operator()"},
        {"main", "main"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, Utils::QualifiedFunctionName(c.pretty)) << c.pretty;
    }
}

}  // namespace

namespace {

TEST_F(LogTest, WritingALineKeepsTheCallersLastSystemError) {
    // The writer creates its folder and opens files; an error line that
    // follows must still report the caller's own failure.
    Utils::SetLastSystemError(2);
    LOG_INFO("a line");
    EXPECT_EQ(2u, Utils::LastSystemError());
    Utils::ResetLogForTesting(dir_.Child(L"new"));
    Utils::SetLastSystemError(5);
    LOG_ERROR("another");
    EXPECT_EQ(5u, Utils::LastSystemError());
}

}  // namespace
