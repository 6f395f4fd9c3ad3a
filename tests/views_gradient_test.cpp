// The gradient's bands: how many, how long and in which colour, for two
// stops, several stops, clipped spans and a palette's colour limit, and the
// rectangles they are laid on.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "views/gradient.h"

namespace {

constexpr BarColour kBlack = BarRgb(0, 0, 0);
constexpr BarColour kRed = BarRgb(0xFF, 0, 0);
constexpr BarColour kWhite = BarRgb(0xFF, 0xFF, 0xFF);
constexpr BarColour kBlue = BarRgb(0x45, 0x92, 0xFD);

int TotalLength(const std::vector<CGradElement>& bands) {
    return std::accumulate(bands.begin(), bands.end(), 0,
                           [](int sum, const CGradElement& b) { return sum + b.length; });
}

CGradient Gradient(const std::vector<BarColour>& colours) {
    CGradient g;
    g.SetColours(colours);
    return g;
}

TEST(Gradient, BlackToRedHasOneBandPerPixelOrPerColourStep) {
    struct {
        int length;
        size_t bands;
        std::vector<std::pair<size_t, int>> reds;  // band index, its red
        const char* why;
    } cases[] = {
        {100, 100, {{0, 0}, {1, 2}, {50, 127}, {99, 252}}, "fewer pixels than steps: 1 px each"},
        {300, 255, {{0, 0}, {1, 1}, {128, 128}, {254, 254}}, "255 colour steps share 300 px"},
    };
    for (const auto& c : cases) {
        std::vector<CGradElement> bands;
        Gradient({kBlack, kRed})
            .BuildTwoColourBands(bands, kBlack, kRed, c.length, 0, -1, kNoColourLimit);
        ASSERT_EQ(c.bands, bands.size()) << c.why;
        EXPECT_EQ(c.length, TotalLength(bands)) << c.why;
        for (const auto& [index, red] : c.reds) {
            EXPECT_EQ(BarRgb(static_cast<uint8_t>(red), 0, 0), bands[index].colour)
                << c.why << ", band " << index;
        }
        for (const CGradElement& band : bands) {
            EXPECT_GE(band.length, 1) << c.why;
            EXPECT_LE(band.length, 2) << c.why;
        }
    }
}

TEST(Gradient, TwoEqualColoursAreOneBandOverTheSpan) {
    std::vector<CGradElement> bands;
    Gradient({kBlue, kBlue}).BuildBands(bands, 373, 0, 138, kNoColourLimit);
    ASSERT_EQ(1u, bands.size());
    EXPECT_EQ(kBlue, bands[0].colour);
    EXPECT_EQ(138, bands[0].length);
}

TEST(Gradient, ClippedSpansKeepTheColoursOfTheirPlace) {
    struct {
        std::vector<BarColour> stops;
        int length, start, end, limit;
        size_t bands;
        BarColour first, last;
        int total;
        const char* why;
    } cases[] = {
        // clang-format off
        {{kBlack, kRed}, 100, 10, 20, kNoColourLimit,
         11, BarRgb(22, 0, 0), BarRgb(48, 0, 0), 10,
         "a cut from 10 to 20: bands 10 to 19, after band 9 kept with length 0 (it ends at 10)"},
        {{kBlack, kRed, kBlack}, 200, 50, 150, kNoColourLimit,
         101, BarRgb(124, 0, 0), BarRgb(131, 0, 0), 100,
         "a cut across the middle stop: up to red and back down"},
        {{kBlack, kWhite}, 300, 0, -1, 236,
         236, kBlack, BarRgb(253, 253, 253), 300,
         "a palette's limit of 236 colours"},
        {{kBlack, kWhite, kBlack}, 600, 0, -1, 236,
         236, kBlack, BarRgb(3, 3, 3), 600,
         "the limit is shared by the segments: 118 each"},
        {{kBlue}, 80, 5, 45, kNoColourLimit,
         1, kBlue, kBlue, 40,
         "one stop: one band"},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<CGradElement> bands;
        Gradient(c.stops).BuildBands(bands, c.length, c.start, c.end, c.limit);
        ASSERT_EQ(c.bands, bands.size()) << c.why;
        EXPECT_EQ(c.first, bands.front().colour) << c.why;
        EXPECT_EQ(c.last, bands.back().colour) << c.why;
        EXPECT_EQ(c.total, TotalLength(bands)) << c.why;
    }
}

TEST(Gradient, BandRectangleFollowsTheDirection) {
    const BarRect area{10, 20, 110, 40};  // 100 wide, 20 high
    struct {
        int mode, start, end;
        BarRect expected;
        const char* why;
    } cases[] = {
        {kFromLeft, 5, 30, {15, 20, 40, 40}, "from the left edge"},
        {kFromRight, 5, 30, {80, 20, 105, 40}, "from the right edge"},
        {kFromTop, 2, 6, {10, 22, 110, 26}, "from the top"},
        {kFromBottom, 2, 6, {10, 34, 110, 38}, "from the bottom, growing upwards"},
        {kFromLeft, 0, -1, area, "an end of -1 is the full length"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, BandRect(area, c.mode, c.start, c.end)) << c.why;
    }
}

TEST(Gradient, PlannedFillsTileTheSpanOrGoFlatOnALowColourSurface) {
    CGradient g = Gradient({kBlack, kRed});
    const BarRect area{0, 0, 100, 10};

    const std::vector<BarFill> fills = g.PlanBands(SurfaceDepth{}, area, 10, 20, 0);
    ASSERT_EQ(11u, fills.size());
    EXPECT_EQ((BarRect{10, 0, 10, 10}), fills[0].rect) << "band 9, cut to nothing";
    EXPECT_EQ((BarRect{10, 0, 11, 10}), fills[1].rect);
    EXPECT_EQ((BarRect{19, 0, 20, 10}), fills.back().rect);

    const std::vector<BarFill> flat = g.PlanBands(SurfaceDepth{false, 4}, area, 10, 20, 0);
    ASSERT_EQ(1u, flat.size()) << "fewer than 8 bits per pixel: one fill of the first colour";
    EXPECT_EQ((BarRect{10, 0, 20, 10}), flat[0].rect);
    EXPECT_EQ(kBlack, flat[0].colour);
}

TEST(Gradient, AShiftRotatesTheGradientAlongTheBar) {
    CGradient g = Gradient({kBlack, kRed});
    std::vector<CGradElement> bands;
    g.BuildShiftedBands(bands, 30, 100, 0, -1, kNoColourLimit);
    ASSERT_EQ(100u, bands.size());
    EXPECT_EQ(BarRgb(178, 0, 0), bands[0].colour) << "what was at 70 is now at 0";
    EXPECT_EQ(kBlack, bands[30].colour) << "what was at 0 is now at 30";
}

}  // namespace
