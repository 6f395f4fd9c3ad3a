// The main window on Win32: dialog 102 of the program's resources, the
// MainView that the window's logic (CVorlinInstallerDlg) draws through. It
// owns the toolkit's part: the dialog and its message loop with the message
// filter, the background colour, the three fonts, the picture buttons, the
// gradient progress bar, moving the window by its background, the system
// menu's about box and the minimised icon. What each message, click and
// close request does is the logic's.
//
// Window thread only. The worker reaches the window through `link`, whose
// handle becomes the dialog's once it exists.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "views/main_view.h"
#include "views/vorlininstallerdlg.h"
#include "views/win32/hwnd_link.h"
#include "views/win32/mybutton.h"
#include "views/win32/progressctrlx.h"

class CWin32MainWindow : public MainView {
  public:
    // `link` must outlive the window (the worker keeps posting to it).
    explicit CWin32MainWindow(HwndWindowLink& link);
    ~CWin32MainWindow() override;
    CWin32MainWindow(const CWin32MainWindow&) = delete;
    CWin32MainWindow& operator=(const CWin32MainWindow&) = delete;

    // Creates the dialog, runs its initialisation (single-instance rule,
    // command line, controls), shows it, starts the worker and loads the
    // pictures (OnAfterShown), and then runs its message loop, the
    // framework's modal loop, until the exit sequence ends the process.
    // Returns only when the dialog could not be created (-1) or the loop
    // ended against all expectation (0).
    int RunModal();

    // MainView.
    void ShowControl(int id, bool show) override;
    void SetControlText(int id, const std::wstring& text) override;
    std::wstring GetControlText(int id) const override;
    void HideWindow() override;
    void MinimizeWindow() override;
    uintptr_t StartTimer(uintptr_t id, uint32_t ms) override;
    void KillTimer(uintptr_t id) override;
    void StartAnimation() override;
    void StopAnimation() override;
    void SetProgressPos(int percent) override;
    void OpenUrl(const std::wstring& url) override;
    void EndProcess(int code) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog's own handlers; true when the message was handled, with
    // the result in `result`.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnInitDialog();
    // Background, fonts and the progress bar.
    void SetUpControls();
    // Once the dialog is shown, before its first paint: starts the worker,
    // then loads the buttons' pictures. Runs once.
    void OnAfterShown();
    void OnCommand(WPARAM wParam);
    void OnSysCommand(WPARAM wParam);
    bool OnPaintIconic();
    // The framework's PreTranslateMessage: the logic's filter over every
    // queued message for the dialog or its controls; true when swallowed.
    bool PreTranslateMessage(const MSG& msg);

    HwndWindowLink& m_link;
    CVorlinInstallerDlg m_logic;
    HWND m_hWnd = nullptr;
    bool m_afterShownDone = false;
    HICON m_hIcon = nullptr;
    HBRUSH m_background = nullptr;
    HFONT m_buttonFont = nullptr;
    HFONT m_errorFont = nullptr;
    HFONT m_statusFont = nullptr;
    CProgressCtrlX m_progress;
    MyButton m_btnMini;
    MyButton m_btnExit;
    MyButton m_btnErrorPicture;
};
