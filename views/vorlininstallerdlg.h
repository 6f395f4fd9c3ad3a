// The main window's logic, toolkit-independent: what each worker message,
// button, timer and close request does, and the exit sequence that ends the
// process. Front ends own the toolkit (drawing, the message loop) and call
// these handlers; the window shows itself only through MainView.
//
// Threads: every method runs on the window's (UI) thread. The worker reaches
// the window only by posting messages 1124 to 1128 and through SharedState,
// whose flags are atomics and whose strings are guarded by its lock.
//
// The exit sequence runs once: once OnExitMessage has decided to end the
// process (the window is "ending") it never returns in production, and every
// later call of it (a 1124 or a timer dispatched while the final report is
// being sent) returns at once without doing anything.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "services/main_window_link.h"
#include "views/exit_services.h"
#include "views/main_view.h"

// A queued message as the message filter sees it (front ends translate
// their toolkit's events into these).
enum class FilterEvent {
    kKeyDown,     // a key press; wParam is the virtual key
    kSysCommand,  // a system-menu command; wParam is the command
    kCommand,     // a command; wParam is the command id
    kOther,
};

inline constexpr uintptr_t kKeyEnter = 13;
inline constexpr uintptr_t kKeyEscape = 27;
inline constexpr uintptr_t kSysCommandClose = 0xF060;  // SC_CLOSE
inline constexpr uintptr_t kCommandCancel = 2;         // IDCANCEL

class CVorlinInstallerDlg {
  public:
    // `view` and `shared` must outlive the window; `buildHelpUrl` gives the
    // address the Help button opens.
    CVorlinInstallerDlg(MainView& view, SharedState& shared, ExitServices services,
                        std::function<std::wstring()> buildHelpUrl);

    CVorlinInstallerDlg(const CVorlinInstallerDlg&) = delete;
    CVorlinInstallerDlg& operator=(const CVorlinInstallerDlg&) = delete;

    // The window's part of start-up: resets the shared members, hides the
    // error controls (1006, 1009, 1007, 1008), starts the running animation,
    // shows "下载准备中…" and then calls `startWorker`, which must return
    // once the worker runs. The toolkit's own set-up (fonts, colours,
    // pictures) stays with the front end.
    void OnInitDialog(const std::function<void()>& startWorker);

    // Runs the handler of a worker or outside message (1124 to 1129) and
    // takes over its payload, freeing it whatever the handler did with it.
    // Returns false for any other message (its payload is left alone).
    bool HandleMessage(uint32_t message, intptr_t payload);

    // 1124, and the close paths: the exit sequence. Keeps the window open
    // (returns) when the run failed and nobody asked to quit; otherwise hides
    // the window, sends the final report and the queued faults and ends the
    // process with 0. A run whose full installer opened an installed higher
    // version has not failed (its status code 4 is still reported).
    void OnExitMessage();
    // 1125: the status line (set only when it differs).
    void OnStatusMessage(intptr_t payload);
    // 1126: the error state with the text.
    void OnErrorMessage(intptr_t payload);
    // 1127: the progress step's text and, for a non-zero percent, the bar.
    void OnProgressMessage(intptr_t payload);
    // 1128: the running animation on (non-zero) or off.
    void OnBusyMessage(intptr_t payload);
    // 1129: hide and ask the worker to stop.
    void OnStopRequest();

    // Close glyph and system close: hide, let the work finish, forced end at
    // the latest two minutes later.
    void OnBnClickedButtonExit();
    // Close button of the error state: CloseWindow.
    void OnBnClickedButtonClose();
    // Hide and ask the worker to stop; the exit sequence follows at once when
    // the worker has finished, else on its final message.
    void CloseWindow();
    void OnBnClickedButtonMini();
    // Opens the help address.
    void OnBnClickedButtonHelp();
    // A window timer fired: only the forced-end timer does anything.
    void OnTimer(uintptr_t id);

    // The message filter: true when the message is swallowed. Escape and
    // Enter are swallowed; the system close command and the cancel command
    // are routed to OnBnClickedButtonExit and swallowed; the rest is not.
    bool PreTranslateMessage(FilterEvent event, uintptr_t wParam);

    // The worker's final message was handled and the window stays open
    // waiting for the user (after a failure).
    bool WaitsForUser() const;
    // The exit sequence has decided to end the process.
    bool Ending() const { return m_bEnding; }

  private:
    void SetStatusLine(const std::wstring& text);
    void SendFinalReport(int32_t statusCode);
    void KillForcedEndTimer();

    MainView& m_view;
    SharedState& m_shared;
    const ExitServices m_services;
    const std::function<std::wstring()> m_buildHelpUrl;
    uintptr_t m_forcedEndTimer = 0;  // 0 while no forced end is scheduled
    bool m_bEnding = false;          // past the point of no return of the exit sequence
};
