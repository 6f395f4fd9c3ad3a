// The headless front end's console view: the progress bar text, the status
// redrawn in place on a terminal and written as plain lines otherwise, the
// error text, and the choice of the front end.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/testsupport.h"
#include "views/frontend.h"
#include "views/headless_view.h"

namespace {

TEST(ProgressBarText, ShowsBarPercentAndSpeedWhenKnown) {
    struct {
        int percent;
        double rate;
        const char* expected;
        const char* why;
    } cases[] = {
        {0, -1, "[--------------------]    0%", "empty bar, speed unknown"},
        {40, 1.6, "[########------------]   40%  1.6%/s", "two fifths with the speed"},
        {7, 0.0, "[#-------------------]    7%  0.0%/s", "a started column rounds down"},
        {100, 12.25, "[####################]  100%  12.2%/s", "full"},
        {150, -1, "[####################]  100%", "clamped above"},
        {-5, -1, "[--------------------]    0%", "clamped below"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, FormatProgressBar(c.percent, c.rate)) << c.why;
    }
}

TEST(ProgressBarText, WidthCountsWideCharactersTwice) {
    struct {
        const char* text;
        size_t width;
        const char* why;
    } cases[] = {
        {"", 0, "empty"},
        {"[##--]  40%", 11, "ASCII"},
        {"正在下载…", 9, "four ideographs and the ellipsis, which terminals draw narrow"},
        {"糟糕！联网失败。", 16, "full-width and CJK punctuation"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.width, DisplayWidth(c.text)) << c.why;
    }
}

class ConsoleViewTest : public ::testing::Test {
  protected:
    ConsoleView Make(bool terminal) {
        ConsoleOutput output;
        output.terminal = terminal;
        output.write = [this](const std::string& text) { out_ += text; };
        output.nowMs = [this] { return now_; };
        return ConsoleView(output, ConsoleHost{});
    }
    // What was written since the last call.
    std::string Take() {
        std::string text;
        text.swap(out_);
        return text;
    }

    std::string out_;
    uint64_t now_ = 5000;
};

TEST_F(ConsoleViewTest, TerminalRedrawsTheStatusInPlace) {
    ConsoleView view = Make(true);
    view.StartAnimation();
    EXPECT_EQ("", Take()) << "nothing to show yet";
    view.SetControlText(kCtrlStatus, L"下载准备中…");
    EXPECT_EQ("\r下载准备中…", Take());
    view.SetControlText(kCtrlStatus, L"正在下载…，还需5秒");
    EXPECT_EQ("\r正在下载…，还需5秒", Take());
    view.StopAnimation();
    EXPECT_EQ("", Take()) << "the same line is not drawn again";
    view.SetProgressPos(10);
    EXPECT_EQ("\r正在下载…，还需5秒  [##------------------]   10%", Take())
        << "the speed is unknown at the first position";
    now_ += 2000;
    view.SetProgressPos(30);
    EXPECT_EQ("\r正在下载…，还需5秒  [######--------------]   30%  10.0%/s", Take());
    view.SetControlText(kCtrlStatus, L"下载完毕。");
    EXPECT_EQ("\r下载完毕。  [######--------------]   30%  10.0%/s" + std::string(8, ' '), Take())
        << "a shorter line wipes the rest of the longer one";
    view.StartAnimation();
    EXPECT_EQ("\r下载完毕。" + std::string(39, ' '), Take()) << "the runner has no percent";
    view.HideWindow();
    EXPECT_EQ("\n", Take()) << "the line is finished when the window goes";
    view.SetControlText(kCtrlStatus, L"安装完毕。");
    EXPECT_EQ("", Take()) << "a hidden window shows nothing";
}

TEST_F(ConsoleViewTest, PlainOutputWritesNewTextsAndEveryTenthOfTheBar) {
    ConsoleView view = Make(false);
    view.SetControlText(kCtrlStatus, L"正在下载…");
    view.StopAnimation();
    view.SetProgressPos(5);
    view.SetProgressPos(8);
    view.SetProgressPos(12);
    view.SetControlText(kCtrlStatus, L"正在下载…，还需3秒");
    view.SetControlText(kCtrlStatus, L"正在下载…，还需3秒");
    EXPECT_EQ(
        "正在下载…\n"
        "正在下载…  [#-------------------]    5%\n"
        "正在下载…  [##------------------]   12%\n"
        "正在下载…，还需3秒  [##------------------]   12%\n",
        Take());
}

TEST_F(ConsoleViewTest, ErrorTextGetsALineOfItsOwn) {
    for (const bool terminal : {true, false}) {
        ConsoleView view = Make(terminal);
        view.SetControlText(kCtrlStatus, L"正在联网…");
        Take();
        // The window's error state, in the order the window switches to it.
        view.ShowControl(kCtrlStatus, false);
        view.ShowControl(kCtrlProgress, false);
        view.ShowControl(kCtrlErrorPicture, true);
        view.ShowControl(kCtrlErrorText, true);
        view.ShowControl(kCtrlHelp, true);
        view.ShowControl(kCtrlClose, true);
        view.SetControlText(kCtrlErrorText, L"连接服务器失败");
        EXPECT_EQ(terminal ? "\n连接服务器失败\n" : "连接服务器失败\n", Take()) << terminal;
        view.SetControlText(kCtrlStatus, L"正在联网…，again");
        EXPECT_EQ("", Take()) << "the status line is hidden in the error state";
        EXPECT_EQ(L"连接服务器失败", view.GetControlText(kCtrlErrorText));
    }
}

TEST_F(ConsoleViewTest, HiddenErrorControlsPrintNothing) {
    ConsoleView view = Make(false);
    view.ShowControl(kCtrlErrorText, false);
    view.SetControlText(kCtrlErrorText, L"连接服务器失败");
    EXPECT_EQ("", Take());
    view.ShowControl(kCtrlErrorText, true);
    EXPECT_EQ("连接服务器失败\n", Take()) << "shown after its text was set";
}

TEST(FrontEndChoice, HeadlessWhenAskedOrWithoutADisplay) {
    struct {
        bool headlessRequested;
        bool windowCanOpen;
        FrontEnd expected;
        bool displayAsked;
        const char* why;
    } cases[] = {
        {false, true, FrontEnd::kWindow, true, "a display: the window"},
        {false, false, FrontEnd::kHeadless, true, "no display"},
        {true, true, FrontEnd::kHeadless, false, "TAVO_HEADLESS=1 never opens a display"},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const FrontEnd chosen = ChooseFrontEnd(c.headlessRequested, [&] {
            asked = true;
            return c.windowCanOpen;
        });
        EXPECT_EQ(c.expected, chosen) << c.why;
        EXPECT_EQ(c.displayAsked, asked) << c.why;
    }
}

TEST(FrontEndChoice, HeadlessIsRequestedByTheValueOne) {
    struct {
        const char* value;
        bool requested;
    } cases[] = {{"1", true}, {"0", false}, {"", false}, {"yes", false}};
    for (const auto& c : cases) {
        const TestSupport::ScopedEnv env("TAVO_HEADLESS", c.value);
        EXPECT_EQ(c.requested, HeadlessRequested()) << c.value;
    }
    const TestSupport::ScopedEnv unset("TAVO_HEADLESS", TestSupport::ScopedEnv::Unset{});
    EXPECT_FALSE(HeadlessRequested());
}

}  // namespace
