// The window's view on a console, for the headless front end: the status
// line with a text progress bar, redrawn in place on a terminal or written as
// plain lines otherwise, and the error text on a line of its own. Once the
// window is hidden nothing more is printed, as nothing more would be seen.
//
// Threads: the window's (UI) thread only, like every MainView.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "views/main_view.h"

// Where the console text goes.
struct ConsoleOutput {
    bool terminal = false;                          // redraw the status in place with '\r'
    std::function<void(const std::string&)> write;  // UTF-8 text, written as given
    std::function<uint64_t()> nowMs;                // steady milliseconds, for the speed
};

// What the console view hands back to its front end.
struct ConsoleHost {
    std::function<uintptr_t(uintptr_t id, uint32_t ms)> startTimer;  // the id, or 0
    std::function<void(uintptr_t id)> killTimer;
    std::function<void(int code)> endProcess;  // does not return in production
};

class ConsoleView : public MainView {
  public:
    ConsoleView(ConsoleOutput output, ConsoleHost host);

    void ShowControl(int id, bool show) override;
    void SetControlText(int id, const std::wstring& text) override;
    std::wstring GetControlText(int id) const override;
    void HideWindow() override;
    void MinimizeWindow() override {}
    uintptr_t StartTimer(uintptr_t id, uint32_t ms) override;
    void KillTimer(uintptr_t id) override;
    void StartAnimation() override;
    void StopAnimation() override;
    void SetProgressPos(int percent) override;
    // Prints the address: a console has no browser to open it in.
    void OpenUrl(const std::wstring& url) override;
    void EndProcess(int code) override;

  private:
    bool Visible(int id) const;
    void DrawStatus();
    void DrawError();
    void WriteLine(const std::string& line);
    void FinishInPlaceLine();
    // Percent per second since the first position, or a negative value
    // while it cannot be told.
    double Rate() const;

    ConsoleOutput m_output;
    ConsoleHost m_host;
    std::map<int, bool> m_hiddenControls;  // controls hidden by ShowControl
    std::map<int, std::wstring> m_texts;
    bool m_windowHidden = false;
    bool m_animating = false;
    int m_percent = 0;
    int64_t m_firstPercent = -1;  // the first position of this bar, and when
    uint64_t m_firstAtMs = 0;

    std::string m_drawn;          // terminal: the line as last drawn; plain: its text and tenth
    size_t m_drawnWidth = 0;      // its width in columns (terminal)
    bool m_inPlace = false;       // a '\r' line is on screen without its line end
    std::wstring m_printedError;  // the error text as last written
};

// "[########------------]   40%", followed by "  1.6%/s" when the rate is
// known (not negative). Percent outside 0 to 100 is clamped.
std::string FormatProgressBar(int percent, double percentPerSecond);

// Columns the UTF-8 text takes on a terminal: East Asian wide and full-width
// characters take two, others one.
size_t DisplayWidth(const std::string& utf8);
