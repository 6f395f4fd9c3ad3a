// The gradient progress bar's state and arithmetic, without a toolkit:
// range, position, step, the runner (a segment that moves along the bar and
// wraps around while the installer waits without a percentage), the effect
// of each progress-bar message, and the plan of one paint (which rectangles
// to fill with which colour, and the text). The Win32 control
// (CProgressCtrlX) and the GTK bar keep one CProgress each and only draw what
// Plan says.
//
// Threads: the window's (UI) thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "views/gradient.h"

// Style bits of the bar (the control window's style on Windows).
inline constexpr uint32_t BAR_VERTICAL = 0x4;  // the platform's PBS_VERTICAL
inline constexpr uint32_t BAR_ALIGN_LEFT = 0x10;
inline constexpr uint32_t BAR_ALIGN_RIGHT = 0x20;
inline constexpr uint32_t BAR_ALIGN_TOP = 0x40;
inline constexpr uint32_t BAR_ALIGN_BOTTOM = 0x80;
inline constexpr uint32_t BAR_TEXT_MASK = 0x300;
inline constexpr uint32_t BAR_TEXT_PERCENT = 0x100;
inline constexpr uint32_t BAR_TEXT_POSITION = 0x200;
inline constexpr uint32_t BAR_TEXT_OWN = 0x300;
inline constexpr uint32_t BAR_TEXT_ON_FILL = 0x1000;
inline constexpr uint32_t BAR_FIT_GRADIENT = 0x2000;
inline constexpr uint32_t BAR_FROM_END = 0x4000;
inline constexpr uint32_t BAR_RUNNER = 0x8000;

// The messages the bar answers, by their Windows numbers, so that the Win32
// control passes its messages straight through and the GTK bar speaks the
// same language.
namespace BarMsg {
inline constexpr uint32_t kSetText = 0x000C;        // WM_SETTEXT
inline constexpr uint32_t kGetText = 0x000D;        // WM_GETTEXT
inline constexpr uint32_t kGetTextLength = 0x000E;  // WM_GETTEXTLENGTH
inline constexpr uint32_t kSetFont = 0x0030;        // WM_SETFONT
inline constexpr uint32_t kGetFont = 0x0031;        // WM_GETFONT
inline constexpr uint32_t kTimer = 0x0113;          // WM_TIMER
inline constexpr uint32_t kSetRange = 0x0401;       // PBM_SETRANGE
inline constexpr uint32_t kSetPos = 0x0402;         // PBM_SETPOS
inline constexpr uint32_t kDeltaPos = 0x0403;       // PBM_DELTAPOS
inline constexpr uint32_t kSetStep = 0x0404;        // PBM_SETSTEP
inline constexpr uint32_t kStepIt = 0x0405;         // PBM_STEPIT
inline constexpr uint32_t kSetRange32 = 0x0406;     // PBM_SETRANGE32
inline constexpr uint32_t kGetRange = 0x0407;       // PBM_GETRANGE
inline constexpr uint32_t kGetPos = 0x0408;         // PBM_GETPOS
inline constexpr uint32_t kSetBarColour = 0x0409;   // PBM_SETBARCOLOR
inline constexpr uint32_t kSetBkColour = 0x2001;    // PBM_SETBKCOLOR (CCM_SETBKCOLOR)
}  // namespace BarMsg

// The result of the colour messages (CLR_DEFAULT).
inline constexpr intptr_t kBarColourDefault = static_cast<intptr_t>(0xFF000000u);

// The record PBM_GETRANGE fills (the layout of PBRANGE).
struct BarRange {
    int iLow;
    int iHigh;
};

// The runner's timer and the main window's runner lengths.
inline constexpr uintptr_t kRunnerTimerId = 11;
inline constexpr uint32_t kRunnerPeriodMs = 10;
inline constexpr int kRunnerLengthRunning = 20;

// What a message did.
struct BarMessageResult {
    bool handled = false;  // false: the toolkit's default processing
    intptr_t result = 0;
    bool redraw = false;     // invalidate the whole control (with erase)
    bool redrawNow = false;  // and update it at once (WM_SETFONT with redraw)
};

// The system colours a new bar starts from (the Windows front end passes
// GetSysColor's values).
struct BarSystemColours {
    BarColour buttonFace = BarRgb(0xF0, 0xF0, 0xF0);
    BarColour captionText = BarRgb(0x00, 0x00, 0x00);
    BarColour buttonText = BarRgb(0x00, 0x00, 0x00);
    BarColour activeCaption = BarRgb(0x99, 0xB4, 0xD1);
    BarColour gradientActiveCaption = BarRgb(0xB9, 0xD1, 0xEA);
    bool gradientCaptions = true;
};

// One paint of the bar: fill `background` (unless hasBackground is false),
// then `bands` in order, then, if `text` is not empty, the text: over the
// whole `fullSpan` in `backgroundTextColour`, and clipped to `barSpan` in
// `barTextColour` (with BAR_TEXT_ON_FILL only the latter, centred on it).
struct BarPicture {
    bool hasBackground = false;
    BarFill background;
    std::vector<BarFill> bands;
    std::wstring text;
    BarRect fullSpan;
    BarRect barSpan;
    uint32_t style = 0;
    BarColour barTextColour = 0;
    BarColour backgroundTextColour = 0;
};

class CProgress : public CGradient {
  public:
    explicit CProgress(const BarSystemColours& system = BarSystemColours());

    // Style bits; the base keeps them itself, the Win32 control reads and
    // writes its window style instead.
    virtual uint32_t StyleBits() const { return m_style; }
    virtual void ChangeStyleBits(uint32_t remove, uint32_t add);

    // Runner mode: moves the runner to `value` (or by it, when relative) and
    // returns true; false when BAR_RUNNER is off.
    virtual bool MoveRunner(int value, bool relative);
    // The text for `format` and `value`: a non-empty format with its first
    // %d replaced by the value ("%%" is a percent sign; nothing else is a
    // conversion, so a text set from outside is never a printf format);
    // else "%d%%" for BAR_TEXT_PERCENT, "%d" for BAR_TEXT_POSITION, "" for
    // BAR_TEXT_OWN.
    virtual std::wstring MakeBarText(const std::wstring& format, float value) const;
    // The percentage for BAR_TEXT_PERCENT, the position for
    // BAR_TEXT_POSITION, else 0.
    virtual float BarTextValue() const;
    virtual bool AllowPosChange(int /*oldPos*/, int /*newPos*/) const { return true; }
    virtual void AfterPosChange(int /*newPos*/) {}

    // Return the old position.
    int SetPos(int value);
    int OffsetPos(int delta);
    // Stores `value` clamped to the range when it differs and is allowed.
    void ApplyPos(int value);
    // Writes both bounds, then applies the position again.
    void SetRange(int lower, int upper);
    // Returns the old step.
    int SetStep(int step);
    void SetRunnerLength(int length) { m_runnerLength = length; }
    void SetBackgroundColour(BarColour colour) { m_background = colour; }
    void SetTextColours(BarColour overBar, BarColour overBackground);
    void SetBorders(int left, int top, int right, int bottom);
    // Bar colours: `first` to `second` (0: `first` again), a flat bar when
    // both are equal.
    void SetBarColours(BarColour first, BarColour second);

    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    int Pos() const { return m_pos; }
    int Step() const { return m_step; }
    int RunnerLength() const { return m_runnerLength; }
    int RunnerStart() const { return m_runnerStart; }
    BarColour BackgroundColour() const { return m_background; }
    const std::wstring& Text() const { return m_text; }
    // The font the toolkit set (an opaque handle, 0 for none).
    intptr_t Font() const { return m_font; }

    // The effect of one message; see BarMsg. Payload pointers (WM_SETTEXT's
    // text, WM_GETTEXT's buffer, PBM_GETRANGE's record) are the caller's.
    BarMessageResult OnBarMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The main window's runner: start (runner length 20, BAR_RUNNER and
    // BAR_FIT_GRADIENT on; the caller then restarts timer 11 every 10 ms)
    // and stop (runner length = upper bound, so the next position draws as
    // an ordinary fill; the caller kills the timer).
    void BeginRunner();
    void EndRunner();

    // What one paint of `client` draws on a surface of `depth`. Sets the
    // gradient's direction mode from the style bits.
    BarPicture Plan(const BarRect& client, const SurfaceDepth& depth);

  private:
    // [s, e] of the bar inside `area` in the bar's own direction.
    BarRect SpanRect(const BarRect& area, int start, int end) const;

    uint32_t m_style = 0;
    BarColour m_background;
    BarColour m_barText;
    BarColour m_backgroundText;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_step = 10;
    int m_runnerLength = 40;
    int m_runnerStart = 0;
    BarRect m_borders;
    std::wstring m_text;
    intptr_t m_font = 0;
    int m_gradientShift = 0;
};

// The main window's bar: background #B6B6B6, flat #4592FD, range 0 to 100,
// position 0, step 1 (the caller removes the static edge and redraws).
void SetUpInstallerBar(CProgress& bar);
