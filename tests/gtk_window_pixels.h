// What the GTK window's screenshots are checked for: where the controls
// lie (the program's own dialog-unit layout, measured on the same display),
// the bar's fill, text ink and pictures. Helpers of gtk_window_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/xsession_posix.h"

inline constexpr uint32_t kBackground = 0xFBFBFB;
inline constexpr uint32_t kBarFill = 0x4592FD;
inline constexpr uint32_t kBarBackground = 0xB6B6B6;

// The controls' rectangles inside the window, in pixels.
struct WindowLayout {
    TestSupport::ScreenRect window, status, bar, errorPicture, errorText, help, close, minimize,
        closeGlyph;
};

// The layout the program computes on this display (OpenGtk first).
WindowLayout ExpectedLayout();

// The bar's fill: [start, end) in pixels from the bar's left edge, on the
// bar's middle row. `clean` when every pixel of the bar is #4592FD or
// #B6B6B6, the fill one run and the rest #B6B6B6.
struct BarSpan {
    bool clean = false;
    int start = 0;
    int end = 0;
};
BarSpan ReadBar(const TestSupport::Image& shot, const TestSupport::ScreenRect& bar);

// Whether `width` is trunc(p x length / 100) for a whole percent p in
// [minPercent, maxPercent].
bool IsPercentWidth(int width, int length, int minPercent, int maxPercent);

// Pixels of `area` that are not `colour`.
int CountOtherThan(const TestSupport::Image& shot, uint32_t colour,
                   const TestSupport::ScreenRect& area);
// Pixels of the whole shot, outside every rectangle of `except`, that are
// not `colour`.
int CountOtherThanOutside(const TestSupport::Image& shot, uint32_t colour,
                          const std::vector<TestSupport::ScreenRect>& except);
// Dark pixels (text ink) of `area`.
int CountInk(const TestSupport::Image& shot, const TestSupport::ScreenRect& area);
// Whether a picture is drawn in `area`: pixels other than #FBFBFB.
bool ShowsPicture(const TestSupport::Image& shot, const TestSupport::ScreenRect& area);

// How well the beginning of the text in `status` matches `prefix` drawn by
// this process in the window's face at the status line's size: the
// overlap of their ink (intersection over union, 0 to 1), at the best
// offset near the text's first ink.
double StatusTextMatch(const TestSupport::Image& shot, const TestSupport::ScreenRect& status,
                       const std::string& prefix);

// Clicks the middle of `control` of the window at `window`.
bool Click(const std::string& display, const TestSupport::ScreenRect& window,
           const TestSupport::ScreenRect& control);
// Focuses the window `id` and presses Enter.
bool PressEnter(const std::string& display, const std::string& id);
// Focuses the window `id` and presses `keys` in turn (xdotool key names).
bool PressKeys(const std::string& display, const std::string& id,
               const std::vector<std::string>& keys);
