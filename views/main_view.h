// The main window as its logic (CVorlinInstallerDlg) sees it: a handful of
// controls by id, a few window operations, timers and the process end. Each
// front end (the Win32 dialog, the GTK window, the headless console)
// implements it; the logic never meets a toolkit.
//
// Every method is called on the window's (UI) thread only.
#pragma once

#include <cstdint>
#include <string>

// Control ids of the window.
inline constexpr int kCtrlMinimize = 1000;      // minimise glyph
inline constexpr int kCtrlCloseGlyph = 1001;    // close glyph, top right
inline constexpr int kCtrlProgress = 1002;      // progress bar
inline constexpr int kCtrlStatus = 1003;        // status line
inline constexpr int kCtrlErrorText = 1006;     // error text (error state)
inline constexpr int kCtrlHelp = 1007;          // Help button (error state)
inline constexpr int kCtrlClose = 1008;         // Close button (error state)
inline constexpr int kCtrlErrorPicture = 1009;  // error picture (error state)

// The forced end after a close-glyph request: window timer 2, once, after
// two minutes.
inline constexpr uintptr_t kForcedEndTimerId = 2;
inline constexpr uint32_t kForcedEndDelayMs = 120000;

class MainView {
  public:
    virtual ~MainView() = default;

    // Shows or hides one control.
    virtual void ShowControl(int id, bool show) = 0;
    // Replaces a control's text (status line, error text). The view redraws
    // what changed.
    virtual void SetControlText(int id, const std::wstring& text) = 0;
    // The control's current text ("" when none was set).
    virtual std::wstring GetControlText(int id) const = 0;

    // Hides the whole window; the process keeps running.
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;

    // Starts (or restarts) the window timer `id` with a period of `ms`; the
    // front end calls CVorlinInstallerDlg::OnTimer(id) each time it fires.
    // Returns the timer's id, or 0 when it could not be started.
    virtual uintptr_t StartTimer(uintptr_t id, uint32_t ms) = 0;
    virtual void KillTimer(uintptr_t id) = 0;

    // The progress bar's running segment (indeterminate progress) on or off.
    virtual void StartAnimation() = 0;
    virtual void StopAnimation() = 0;
    // The bar's position, 0 to 100, drawn from the left edge.
    virtual void SetProgressPos(int percent) = 0;

    // Opens `url` with the system's browser; failures are silent.
    virtual void OpenUrl(const std::wstring& url) = 0;

    // Ends the process with `code`. The front ends' implementation does not
    // return (EndProcessNow, process_end.h); a test's fake may, and the
    // window then stays in its ending state where nothing more happens.
    virtual void EndProcess(int code) = 0;
};
