// The main window's three fonts, the same on every front end: one face,
// thin weight, and cell heights in pixels that grow with the screen's scale
// factor (Utils::GetDpiScale).
#pragma once

// The face the window asks for.
inline constexpr wchar_t kWindowFontFace[] = L"微软雅黑";
// FW_THIN.
inline constexpr int kWindowFontWeight = 100;

// Cell heights in pixels (ascent plus descent, as a positive LOGFONT
// height): trunc(20 x scale) for the Help and Close buttons, trunc(23 x
// scale) for the error text, trunc(25 x scale) for the status line.
struct WindowFontHeights {
    int button;
    int error;
    int status;
};
WindowFontHeights FontHeightsForScale(double scale);
