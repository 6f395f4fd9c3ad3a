// Linux only: the GTK window's plain arithmetic: dialog units to pixels,
// the fonts' sizes and the choice of the face. No display needed.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "utils/system/dpi.h"
#include "views/gtk/dialog_units.h"
#include "views/gtk/font_choice.h"
#include "views/main_view.h"
#include "views/window_fonts.h"

// Readable failures.
std::ostream& operator<<(std::ostream& out, const DialogRect& r) {
    return out << r.x << "," << r.y << " " << r.width << "x" << r.height;
}

namespace {

TEST(DialogUnits, BaseUnitsAreTheFontsAverageWidthAndHeight) {
    const struct {
        int lettersWidth;
        int fontHeight;
        DialogBaseUnits expected;
        const char* why;
    } cases[] = {
        {300, 13, {6, 13}, "the shell dialog font at 8 points and 96 dpi: 6 x 13"},
        {311, 13, {6, 13}, "300 / 26 and 311 / 26 are both 11: (11 + 1) / 2"},
        {312, 13, {6, 13}, "312 / 26 = 12: (12 + 1) / 2 still rounds down"},
        {338, 13, {7, 13}, "a wider face, 13: (13 + 1) / 2 = 7"},
        {455, 20, {9, 20}, "the same font at 144 dpi"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected.x, BaseUnitsFromFont(c.lettersWidth, c.fontHeight).x) << c.why;
        EXPECT_EQ(c.expected.y, BaseUnitsFromFont(c.lettersWidth, c.fontHeight).y) << c.why;
    }
}

TEST(DialogUnits, TemplateMapsEdgeByEdgeWithHalvesRoundedUp) {
    const DialogBaseUnits base{6, 13};
    const struct {
        DialogRect units;
        DialogRect pixels;
        const char* why;
    } cases[] = {
        {{0, 0, kMainDialogWidth, kMainDialogHeight},
         {0, 0, 647, 301},
         "the window: 431 x 6 / 4 = 646.5 and 185 x 13 / 8 = 300.6"},
        {MainDialogControl(kCtrlProgress),
         {45, 163, 560, 16},
         "the bar: left 45, right 403 x 1.5 = 604.5 -> 605, top 162.5 -> 163, bottom 178.75 -> "
         "179"},
        {MainDialogControl(kCtrlStatus),
         {23, 89, 604, 74},
         "the status line ends at 162.5 -> 163, the edge where the bar begins"},
        {MainDialogControl(kCtrlCloseGlyph),
         {611, 26, 15, 16},
         "the close glyph: not square, the picture is stretched"},
        {MainDialogControl(kCtrlErrorPicture), {284, 86, 99, 65}, "the error picture"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pixels, MapDialogRect(c.units, base)) << c.why;
    }
}

TEST(DialogUnits, EveryControlOfTheTemplateIsKnown) {
    const std::set<int> expected = {kCtrlMinimize, kCtrlCloseGlyph,  kCtrlProgress,
                                    kCtrlStatus,   kCtrlErrorText,   kCtrlHelp,
                                    kCtrlClose,    kCtrlErrorPicture};
    std::set<int> ids;
    for (const TemplateControl& c : MainDialogControls()) {
        ids.insert(c.id);
        EXPECT_LE(c.units.x + c.units.width, kMainDialogWidth) << c.id;
        EXPECT_LE(c.units.y + c.units.height, kMainDialogHeight) << c.id;
    }
    EXPECT_EQ(expected, ids);
    EXPECT_EQ(DialogRect{}, MainDialogControl(4711));
}

TEST(WindowFonts, HeightsFollowTheScreensScale) {
    const struct {
        int dpi;
        WindowFontHeights expected;
    } cases[] = {
        {96, {20, 23, 25}},
        {120, {25, 28, 31}},
        {144, {30, 34, 37}},
        {72, {20, 23, 25}},  // never below the 96 dpi sizes
    };
    for (const auto& c : cases) {
        const WindowFontHeights h = FontHeightsForScale(Utils::DpiToScale(c.dpi));
        EXPECT_EQ(c.expected.button, h.button) << c.dpi;
        EXPECT_EQ(c.expected.error, h.error) << c.dpi;
        EXPECT_EQ(c.expected.status, h.status) << c.dpi;
    }
}

TEST(FontChoice, WindowFaceFirstThenTheDistributionsCjkFaces) {
    const struct {
        std::set<std::string> installed;
        const char* expected;
        const char* why;
    } cases[] = {
        {{"微软雅黑", "Noto Sans CJK SC", "WenQuanYi Micro Hei"},
         "微软雅黑",
         "the window's own face"},
        {{"Noto Sans CJK SC", "WenQuanYi Micro Hei"}, "Noto Sans CJK SC", "first fallback"},
        {{"WenQuanYi Micro Hei", "DejaVu Sans"},
         "WenQuanYi Micro Hei",
         "the one setup-deps installs"},
        {{"DejaVu Sans"}, "WenQuanYi Micro Hei", "none installed: fontconfig substitutes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ChooseFontFace([&c](const std::string& family) {
                      return c.installed.count(family) != 0;
                  }))
            << c.why;
    }
}

TEST(FontChoice, CellHeightBecomesTheEmSize) {
    const struct {
        int cell;
        double cellPerEm;
        double em;
        const char* why;
    } cases[] = {
        {25, 1.25, 20.0, "a face 1.25 em high: 25 pixels of cell are 20 of em"},
        {20, 1.0, 20.0, "ascent plus descent exactly one em"},
        {23, 0.0, 23.0, "no metrics: the nominal size"},
        {23, 7.0, 23.0, "absurd metrics: the nominal size"},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(c.em, EmSizeForCellHeight(c.cell, c.cellPerEm)) << c.why;
    }
}

}  // namespace
