// CProgressCtrlX: the main window's gradient progress bar on Win32. It takes
// over a platform progress control of a dialog (control 1002) by
// subclassing it: every progress-bar message goes to the bar's state
// (CProgress), every paint is planned there and drawn off-screen
// (CMemDCNew), and timer 11 moves the runner. The style bits are the
// control window's own style.
//
// Window thread only.
#pragma once

#include <windows.h>

#include "views/progress_model.h"

class CProgressCtrlX : public CProgress {
  public:
    CProgressCtrlX();
    ~CProgressCtrlX() override;
    CProgressCtrlX(const CProgressCtrlX&) = delete;
    CProgressCtrlX& operator=(const CProgressCtrlX&) = delete;

    // Takes over control `id` of `parent`; false when there is none.
    bool SubclassDlgItem(int id, HWND parent);
    HWND Window() const { return m_hWnd; }

    uint32_t StyleBits() const override;
    // Changes the window style and redraws the control.
    void ChangeStyleBits(uint32_t remove, uint32_t add) override;

    // Invalidates the whole control (with erase; painting ignores the erase).
    void Redraw();

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    // Draws the whole control on `dc` within `rect`, off-screen first.
    void Draw(HDC dc, const RECT& rect);
    void PaintBarText(HDC dc, const BarPicture& picture);

    HWND m_hWnd = nullptr;
};
