// Windows GUI tests: what is on the screen, as pixels, and the window
// rectangles of another process's dialog. Under Wine the screen is the X
// display the tests run on.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/image.h"

namespace TestSupport {

// Whether this process can make windows at all (false under Wine without an
// X display).
bool CanMakeWindows();

// The pixels of `rect` (screen coordinates) as they are on the screen now.
bool CaptureScreen(const RECT& rect, Image& out);

// The rectangle of `window` and of its control `id`, in screen coordinates.
RECT ScreenRectOf(HWND window);
RECT ControlRect(HWND dialog, int id);
// The text of control `id` of a dialog of any process.
std::wstring ControlText(HWND dialog, int id);

// Part of `image` (captured at `origin`, screen coordinates) that lies under
// `rect` (screen coordinates).
Image Crop(const Image& image, POINT origin, const RECT& rect);

}  // namespace TestSupport
