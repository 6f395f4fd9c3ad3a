// CProgressCtrlX: the main window's gradient progress bar on Win32. It takes
// over a platform progress control of a dialog (control 1002) by
// subclassing it: every progress-bar message goes to the bar's state
// (CProgress), every paint is planned there and drawn off-screen
// (CMemDCNew), and timer 11 moves the runner, filling only what moved. The
// style bits are the control window's own style.
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

    // The main window's runner: BeginRunner and its timer, EndRunner and
    // no timer.
    void StartRunner();
    void StopRunner();

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The runner has moved kStepsPerTick steps: fills the stretches whose
    // colour has changed since the last paint straight on the screen
    // (nothing when none has; a paint of the whole control when the change
    // is not made of flat stretches).
    void OnRunnerTick();
    // Invalidates what differs between the last paint and the current
    // picture: the whole control when that cannot be told in stretches.
    void InvalidateWhatChanged();
    // Paints the update region, which first takes in everything that
    // changed since the last paint.
    void OnPaint();
    // Draws the whole control on `dc` within `rect`, off-screen first.
    void Draw(HDC dc, const RECT& rect);
    void PaintBarText(HDC dc, const BarPicture& picture);

    // The runner moves a step every kRunnerPeriodMs, as it always has, but
    // its timer wakes the window for kStepsPerTick steps at a time, and the
    // picture changes on the screen once per wake-up: under Wine a wake-up
    // and a paint each cost many times a step, and a step moves the
    // segment some 5 pixels.
    static constexpr int kStepsPerTick = 4;

    HWND m_hWnd = nullptr;
    // What the last paint drew, on which client rectangle and surface.
    bool m_painted = false;
    RECT m_paintedClient{};
    SurfaceDepth m_paintedDepth;
    BarPicture m_paintedPicture;
};
