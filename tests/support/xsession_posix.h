// Linux GUI tests: a private X display (Xvfb), child programs started on
// it, windows found by their title (xdotool), and screenshots read as RGB
// pixels. One test thread uses these; the child programs run on their own.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace TestSupport {

// Milliseconds a GUI test waits at most for something that must happen
// (a window, an exit): generous, since sanitizer builds start slowly. Never
// a measure of speed.
inline constexpr int kGuiPatienceMs = 60000;

// A program started by the test, with the test's environment plus
// `environment` (name to value; an empty value removes the variable).
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment);
    // Kills the child (SIGKILL) if it still runs, and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // Waits up to `timeoutMs` for the child's end. True with its exit code
    // (the low byte read as signed, so exit(-1) gives -1; a signal gives
    // 128 + its number).
    bool Wait(int timeoutMs, int& exitCode);
    bool Running();
    void Signal(int signal);

  private:
    pid_t m_pid = -1;
    bool m_reaped = false;
};

// Runs a program to its end and returns what it wrote on stdout; false
// when it could not be run or did not end with 0.
bool RunForOutput(const std::vector<std::string>& argv, std::string& output);

// Whether the program `name` is found on PATH.
bool OnPath(const std::string& name);

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
