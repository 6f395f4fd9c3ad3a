// Linux GUI tests: a private X display (Xvfb), windows found by their title
// (xdotool), and screenshots read as RGB pixels. One test thread uses these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/child_process_posix.h"

namespace TestSupport {

// A private X server (Xvfb, 1280 x 800, 24 bits) on a display number it
// picks itself (-displayfd), started with -noreset. Stopped on destruction.
class XvfbServer {
  public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool ok() const { return !m_display.empty(); }
    const std::string& error() const { return m_error; }
    // ":<n>"
    const std::string& display() const { return m_display; }

  private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

// A window's rectangle on the screen.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The id of a visible window on `display` whose title matches the regular
// expression `title`, waiting up to `timeoutMs` for it; "" when none
// appeared.
std::string WaitForWindow(const std::string& display, const std::string& title, int timeoutMs);
// Whether such a window is visible now.
bool WindowVisible(const std::string& display, const std::string& title);
bool WindowGeometry(const std::string& display, const std::string& id, ScreenRect& out);

// RGB pixels, row by row.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    // 0xRRGGBB of the pixel at x, y (0 outside).
    uint32_t At(int x, int y) const;
};

// Opens GTK in this process on `display` (once per process; DISPLAY is set
// to it), for screenshots and for measuring as the program measures.
bool OpenGtk(const std::string& display);

// Reads the rectangle `rect` of the screen that OpenGtk opened. With
// `pngPath` not empty, also saves it there.
bool Capture(const ScreenRect& rect, Image& out, const std::string& pngPath = "");

}  // namespace TestSupport
