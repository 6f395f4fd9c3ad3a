// The progress bar's state: the runner's spans tick by tick, a position
// drawn as an ordinary fill once the runner stops, the pixels a position
// covers, and the effect of the bar's messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/progress_model.h"

namespace {

constexpr BarColour kBarBlue = BarRgb(0x45, 0x92, 0xFD);
constexpr BarColour kBarGrey = BarRgb(0xB6, 0xB6, 0xB6);

// The main window's bar with its runner going.
CProgress RunningBar() {
    CProgress bar;
    SetUpInstallerBar(bar);
    bar.BeginRunner();
    return bar;
}

void Tick(CProgress& bar) {
    EXPECT_TRUE(bar.OnBarMessage(BarMsg::kTimer, kRunnerTimerId, 0).redraw);
}

TEST(Progress, RunnerRunsAlongTheBarAndWrapsAfter120Ticks) {
    struct {
        int tick, start, end;
        const char* why;
    } cases[] = {
        {1, 0, 1, "the head leaves the start"},
        {20, 0, 20, "the segment has its full length"},
        {21, 1, 21, "and moves on"},
        {100, 80, 100, "its head reaches the end"},
        {101, 81, 100, "its tail follows while the head runs on beyond the end"},
        {119, 99, 100, "the last unit"},
        {120, 100, 100, "empty"},
        {121, 0, 1, "round again"},
    };
    CProgress bar = RunningBar();
    // On a bar of 100 pixels a range unit is one pixel.
    const BarRect client{0, 0, 100, 10};
    int tick = 0;
    for (const auto& c : cases) {
        while (tick < c.tick) {
            Tick(bar);
            ++tick;
        }
        EXPECT_EQ(c.start, bar.RunnerStart()) << c.why << " (tick " << c.tick << ")";
        EXPECT_EQ(c.end, bar.Pos()) << c.why << " (tick " << c.tick << ")";
        const BarPicture picture = bar.Plan(client, SurfaceDepth{});
        ASSERT_EQ(1u, picture.bands.size()) << c.why;
        EXPECT_EQ((BarRect{c.start, 0, c.end, 10}), picture.bands[0].rect) << c.why;
        EXPECT_EQ(kBarBlue, picture.bands[0].colour) << c.why;
    }
}

TEST(Progress, StoppedRunnerDrawsTheNextPositionFromTheStart) {
    CProgress bar = RunningBar();
    for (int i = 0; i < 57; ++i) {
        Tick(bar);
    }
    bar.EndRunner();
    EXPECT_EQ(57, bar.SetPos(37));
    EXPECT_EQ(0, bar.RunnerStart());
    EXPECT_EQ(37, bar.Pos());

    // The window's bar is 373 pixels wide: 37 % covers trunc(37 x 373 / 100).
    const BarRect client{0, 0, 373, 13};
    const BarPicture picture = bar.Plan(client, SurfaceDepth{});
    ASSERT_TRUE(picture.hasBackground);
    EXPECT_EQ(client, picture.background.rect);
    EXPECT_EQ(kBarGrey, picture.background.colour);
    ASSERT_EQ(1u, picture.bands.size());
    EXPECT_EQ((BarRect{0, 0, 138, 13}), picture.bands[0].rect);
    EXPECT_EQ(kBarBlue, picture.bands[0].colour);
    EXPECT_TRUE(picture.text.empty()) << "the window never asks for a text";
}

TEST(Progress, RestartedRunnerContinuesFromWhereTheBarEnded) {
    struct {
        int pos, start, end;
        const char* why;
    } cases[] = {
        {100, 81, 100, "a full bar: the segment leaves at the end"},
        {50, 31, 51, "mid-way: a segment ending one step further"},
        {10, 0, 11, "near the start: cut at the start"},
    };
    for (const auto& c : cases) {
        CProgress bar = RunningBar();
        bar.EndRunner();
        bar.SetPos(c.pos);
        bar.BeginRunner();
        Tick(bar);
        EXPECT_EQ(c.start, bar.RunnerStart()) << c.why;
        EXPECT_EQ(c.end, bar.Pos()) << c.why;
    }
}

TEST(Progress, RangeMessagesOrderTheBoundsAndClampThePosition) {
    CProgress bar;
    bar.SetRange(0, 500);
    bar.SetPos(300);
    const BarMessageResult r = bar.OnBarMessage(BarMsg::kSetRange32, 100, 0);
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(0 | (500 << 16), r.result) << "old lower in the low word, old upper in the high";
    EXPECT_EQ(0, bar.Lower());
    EXPECT_EQ(100, bar.Upper());
    EXPECT_EQ(100, bar.Pos()) << "the position is applied again";

    bar.OnBarMessage(BarMsg::kSetRange, 0, (200 << 16) | 20);
    EXPECT_EQ(20, bar.Lower());
    EXPECT_EQ(200, bar.Upper());

    BarRange range{-1, -1};
    EXPECT_EQ(20,
              bar.OnBarMessage(BarMsg::kGetRange, 1, reinterpret_cast<intptr_t>(&range)).result);
    EXPECT_EQ(200, bar.OnBarMessage(BarMsg::kGetRange, 0, 0).result);
    EXPECT_EQ(20, range.iLow);
    EXPECT_EQ(200, range.iHigh);
}

TEST(Progress, PositionMessages) {
    struct {
        uint32_t message;
        uintptr_t wParam;
        intptr_t result;
        int pos;
        const char* why;
    } cases[] = {
        {BarMsg::kSetPos, 40, 0, 40, "set: returns the old position"},
        {BarMsg::kDeltaPos, 15, 40, 55, "delta"},
        {BarMsg::kStepIt, 0, 55, 65, "step: the default step is 10"},
        {BarMsg::kSetPos, 250, 65, 100, "clamped to the upper bound"},
        {BarMsg::kGetPos, 0, 100, 100, "get"},
        {BarMsg::kSetStep, 3, 10, 100, "set the step: returns the old step"},
        {BarMsg::kStepIt, 0, 100, 100, "a step beyond the end stays at the end"},
    };
    CProgress bar;
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, bar.OnBarMessage(c.message, c.wParam, 0).result) << c.why;
        EXPECT_EQ(c.pos, bar.Pos()) << c.why;
    }
    EXPECT_FALSE(bar.OnBarMessage(BarMsg::kTimer, 7, 0).handled) << "another timer's tick";
}

TEST(Progress, ColourMessagesSetTheStopsAndTheBackground) {
    CProgress bar;
    EXPECT_EQ(kBarColourDefault, bar.OnBarMessage(BarMsg::kSetBarColour, 0, kBarBlue).result);
    EXPECT_EQ((std::vector<BarColour>{kBarBlue, kBarBlue}), bar.Colours())
        << "wParam 0: a flat bar of the lParam colour";
    bar.OnBarMessage(BarMsg::kSetBarColour, kBarGrey, kBarBlue);
    EXPECT_EQ((std::vector<BarColour>{kBarBlue, kBarGrey}), bar.Colours());
    EXPECT_FALSE(bar.OnBarMessage(BarMsg::kSetBkColour, 0, kBarGrey).redraw);
    EXPECT_EQ(kBarGrey, bar.BackgroundColour());

    bar.SetBackgroundColour(kNoColour);
    EXPECT_FALSE(bar.Plan({0, 0, 10, 10}, SurfaceDepth{}).hasBackground);
}

TEST(Progress, TextFollowsTheTextMode) {
    struct {
        uint32_t mode;
        const wchar_t* format;
        int pos;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {BAR_TEXT_PERCENT, L"", 50, L"25%", "percent of the range 0 to 200"},
        {BAR_TEXT_POSITION, L"", 50, L"50", "the position"},
        {BAR_TEXT_OWN, L"", 50, L"", "own text without a text: nothing"},
        {BAR_TEXT_OWN, L"Tavo", 50, L"Tavo", "own text"},
        {BAR_TEXT_PERCENT, L"%d%% done", 51, L"25% done", "a format: truncated value"},
        {BAR_TEXT_POSITION, L"%s %d %n %d", 50, L"%s 50 %n %d",
         "only the first %d is a conversion; nothing reads other arguments"},
    };
    for (const auto& c : cases) {
        CProgress bar;
        bar.SetRange(0, 200);
        bar.SetPos(c.pos);
        bar.ChangeStyleBits(0, c.mode);
        bar.OnBarMessage(BarMsg::kSetText, 0, reinterpret_cast<intptr_t>(c.format));
        EXPECT_EQ(c.expected, bar.Plan({0, 0, 200, 10}, SurfaceDepth{}).text) << c.why;
    }
}

TEST(Progress, GetTextKeepsRoomForTheTerminator) {
    CProgress bar;
    bar.OnBarMessage(BarMsg::kSetText, 0, reinterpret_cast<intptr_t>(L"abcdef"));
    EXPECT_EQ(6, bar.OnBarMessage(BarMsg::kGetTextLength, 0, 0).result);
    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(3, bar.OnBarMessage(BarMsg::kGetText, 4, reinterpret_cast<intptr_t>(buffer)).result);
    EXPECT_EQ(std::wstring(L"abc"), buffer);
}

// A bar that refuses every change, to show that ApplyPos asks.
class FrozenBar : public CProgress {
  public:
    bool AllowPosChange(int, int) const override { return false; }
};

TEST(Progress, PositionChangesOnlyWhenAllowed) {
    FrozenBar bar;
    bar.SetPos(30);
    EXPECT_EQ(0, bar.Pos());
}

TEST(Progress, VerticalBarGrowsUpwardsAndFromEndBarFromTheRight) {
    struct {
        uint32_t style;
        BarRect expected;
        const char* why;
    } cases[] = {
        {0, {0, 0, 25, 40}, "horizontal from the left"},
        {BAR_FROM_END, {75, 0, 100, 40}, "horizontal from the right"},
        {BAR_VERTICAL, {0, 30, 100, 40}, "vertical from the bottom"},
        {BAR_VERTICAL | BAR_FROM_END, {0, 0, 100, 10}, "vertical from the top"},
    };
    for (const auto& c : cases) {
        CProgress bar;
        bar.SetBarColours(kBarBlue, 0);
        bar.ChangeStyleBits(0, c.style);
        bar.SetPos(25);
        const BarPicture picture = bar.Plan({0, 0, 100, 40}, SurfaceDepth{});
        ASSERT_EQ(1u, picture.bands.size()) << c.why;
        EXPECT_EQ(c.expected, picture.bands[0].rect) << c.why;
    }
}

TEST(Progress, BordersNarrowTheBarArea) {
    CProgress bar;
    bar.SetBarColours(kBarBlue, 0);
    bar.SetBorders(2, 1, 2, 1);
    bar.SetPos(50);
    const BarPicture picture = bar.Plan({0, 0, 104, 10}, SurfaceDepth{});
    EXPECT_EQ((BarRect{0, 0, 104, 10}), picture.background.rect);
    ASSERT_EQ(1u, picture.bands.size());
    EXPECT_EQ((BarRect{2, 1, 52, 9}), picture.bands[0].rect);
}

}  // namespace
