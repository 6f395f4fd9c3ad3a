// Windows GUI tests: what is on the screen, as pixels, and the window
// rectangles of another process's dialog. Under Wine the screen is the X
// display the tests run on.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/image.h"

namespace TestSupport {

// A 32-bit off-screen surface of this process, top row first, whose pixels
// can be read as an Image.
class DibSurface {
  public:
    DibSurface(int width, int height);
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    // Null when the surface could not be made.
    HDC Dc() const { return bits_ != nullptr ? dc_ : nullptr; }
    // The pixels as they are now (alpha 255).
    Image Pixels() const;

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

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
