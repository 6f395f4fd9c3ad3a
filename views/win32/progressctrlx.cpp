#include "views/win32/progressctrlx.h"

#include <commctrl.h>

#include <algorithm>

#include "views/win32/memdc.h"

static_assert(BAR_VERTICAL == PBS_VERTICAL, "the bar's vertical bit is the platform's");
static_assert(BarMsg::kSetRange32 == PBM_SETRANGE32 && BarMsg::kGetPos == PBM_GETPOS &&
                  BarMsg::kSetBarColour == PBM_SETBARCOLOR &&
                  BarMsg::kSetBkColour == PBM_SETBKCOLOR && BarMsg::kTimer == WM_TIMER,
              "the bar's messages are the platform's");

namespace {

constexpr UINT_PTR kSubclassId = 1;

BarSystemColours SystemColours() {
    BarSystemColours colours;
    colours.buttonFace = GetSysColor(COLOR_BTNFACE);
    colours.captionText = GetSysColor(COLOR_CAPTIONTEXT);
    colours.buttonText = GetSysColor(COLOR_BTNTEXT);
    colours.activeCaption = GetSysColor(COLOR_ACTIVECAPTION);
    colours.gradientActiveCaption = GetSysColor(COLOR_GRADIENTACTIVECAPTION);
    BOOL gradient = FALSE;
    SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
    colours.gradientCaptions = gradient != FALSE;
    return colours;
}

RECT ToRect(const BarRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// One flat fill without a brush.
void Fill(HDC dc, const BarFill& fill) {
    const RECT rect = ToRect(fill.rect);
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    SetBkColor(dc, fill.colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// `text` in `colour` at `origin`, clipped to `clip`.
void PaintClippedText(HDC dc, const RECT& clip, const std::wstring& text, POINT origin,
                      COLORREF colour) {
    SetTextColor(dc, colour);
    ExtTextOutW(dc, origin.x, origin.y, ETO_CLIPPED, &clip, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
}

// The colour `picture` paints at `at` along the bar (x, or y when
// vertical): the last band over it, else the background.
BarColour ColourAt(const BarPicture& picture, bool vertical, int at) {
    BarColour colour = picture.background.colour;
    for (const BarFill& band : picture.bands) {
        const int start = vertical ? band.rect.top : band.rect.left;
        const int end = vertical ? band.rect.bottom : band.rect.right;
        if (at >= start && at < end) {
            colour = band.colour;
        }
    }
    return colour;
}

// True when every band of `picture` spans the whole `client` across the
// bar, so that the picture is one colour per position along it.
bool OneColourAcross(const BarPicture& picture, bool vertical, const RECT& client) {
    return std::all_of(picture.bands.begin(), picture.bands.end(), [&](const BarFill& band) {
        return vertical ? band.rect.left <= client.left && band.rect.right >= client.right
                        : band.rect.top <= client.top && band.rect.bottom >= client.bottom;
    });
}

bool SamePicture(const BarPicture& a, const BarPicture& b) {
    const auto sameFill = [](const BarFill& x, const BarFill& y) {
        return x.rect == y.rect && x.colour == y.colour;
    };
    return a.hasBackground == b.hasBackground && sameFill(a.background, b.background) &&
           a.text == b.text && a.style == b.style && a.fullSpan == b.fullSpan &&
           a.barSpan == b.barSpan && a.barTextColour == b.barTextColour &&
           a.backgroundTextColour == b.backgroundTextColour &&
           std::equal(a.bands.begin(), a.bands.end(), b.bands.begin(), b.bands.end(), sameFill);
}

// Calls `paint` for each stretch along the bar where `next` paints other
// colours than `last` did, with the rectangle (the whole breadth of
// `client`) and the colour `next` gives it. False, without a call, when the
// two cannot be compared that way (text, another background or style,
// bands that leave part of the bar's breadth alone).
template <typename Paint>
bool ForEachChange(const RECT& client, const BarPicture& last, const BarPicture& next,
                   Paint paint) {
    const bool vertical = (next.style & BAR_VERTICAL) != 0;
    if (!last.text.empty() || !next.text.empty() || last.style != next.style ||
        !last.hasBackground || !next.hasBackground ||
        !(last.background.rect == next.background.rect) ||
        last.background.colour != next.background.colour ||
        !OneColourAcross(last, vertical, client) || !OneColourAcross(next, vertical, client)) {
        return false;
    }
    const int begin = vertical ? client.top : client.left;
    const int end = vertical ? client.bottom : client.right;
    int runStart = -1;
    BarColour runColour = 0;
    for (int at = begin; at <= end; ++at) {
        const BarColour colour = at < end ? ColourAt(next, vertical, at) : 0;
        const bool changed = at < end && colour != ColourAt(last, vertical, at);
        if (runStart >= 0 && (!changed || colour != runColour)) {
            RECT run = client;
            (vertical ? run.top : run.left) = runStart;
            (vertical ? run.bottom : run.right) = at;
            paint(run, runColour);
            runStart = -1;
        }
        if (changed && runStart < 0) {
            runStart = at;
            runColour = colour;
        }
    }
    return true;
}

}  // namespace

CProgressCtrlX::CProgressCtrlX() : CProgress(SystemColours()) {}

CProgressCtrlX::~CProgressCtrlX() {
    if (m_hWnd != nullptr) {
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    }
}

bool CProgressCtrlX::SubclassDlgItem(int id, HWND parent) {
    const HWND control = GetDlgItem(parent, id);
    if (control == nullptr ||
        !SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hWnd = control;
    return true;
}

uint32_t CProgressCtrlX::StyleBits() const {
    return m_hWnd != nullptr ? static_cast<uint32_t>(GetWindowLongW(m_hWnd, GWL_STYLE))
                             : CProgress::StyleBits();
}

void CProgressCtrlX::ChangeStyleBits(uint32_t remove, uint32_t add) {
    if (m_hWnd == nullptr) {
        CProgress::ChangeStyleBits(remove, add);
        return;
    }
    const auto style = static_cast<uint32_t>(GetWindowLongW(m_hWnd, GWL_STYLE));
    SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
    Redraw();
}

void CProgressCtrlX::Redraw() {
    if (m_hWnd != nullptr) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

LRESULT CALLBACK CProgressCtrlX::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        reinterpret_cast<CProgressCtrlX*>(self)->m_hWnd = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return reinterpret_cast<CProgressCtrlX*>(self)->OnMessage(message, wParam, lParam);
}

LRESULT CProgressCtrlX::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return TRUE;  // the paint covers every pixel
        case WM_PAINT:
            OnPaint();
            return 0;
        default:
            break;
    }
    const BarMessageResult r =
        OnBarMessage(message, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam));
    if (!r.handled) {
        return DefSubclassProc(m_hWnd, message, wParam, lParam);
    }
    if (message == WM_TIMER) {
        // One step is done; the rest of this tick's steps, then the paint.
        for (int step = 1; step < kStepsPerTick; ++step) {
            OnBarMessage(message, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam));
        }
        OnRunnerTick();
        return 0;
    }
    if (r.redraw) {
        Redraw();
    }
    if (r.redrawNow) {
        UpdateWindow(m_hWnd);
    }
    return static_cast<LRESULT>(r.result);
}

void CProgressCtrlX::StartRunner() {
    BeginRunner();
    if (m_hWnd != nullptr) {
        SetTimer(m_hWnd, kRunnerTimerId, kRunnerPeriodMs * kStepsPerTick, nullptr);
    }
}

void CProgressCtrlX::StopRunner() {
    EndRunner();
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, kRunnerTimerId);
    }
}

void CProgressCtrlX::OnRunnerTick() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (!m_painted || !EqualRect(&client, &m_paintedClient)) {
        Redraw();
        return;
    }
    BarPicture next = Plan({client.left, client.top, client.right, client.bottom}, m_paintedDepth);
    // The runner's steps change flat stretches only: they are filled on the
    // screen at once, without a paint message or an off-screen surface.
    const HDC dc = GetDC(m_hWnd);
    if (dc == nullptr) {
        Redraw();
        return;
    }
    const bool filled =
        ForEachChange(client, m_paintedPicture, next, [dc](const RECT& run, BarColour colour) {
            Fill(dc, {{run.left, run.top, run.right, run.bottom}, colour});
        });
    ReleaseDC(m_hWnd, dc);
    if (filled) {
        m_paintedPicture = std::move(next);
    } else if (!SamePicture(m_paintedPicture, next)) {
        Redraw();
    }
}

void CProgressCtrlX::InvalidateWhatChanged() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (!m_painted || !EqualRect(&client, &m_paintedClient)) {
        Redraw();
        return;
    }
    const BarPicture next =
        Plan({client.left, client.top, client.right, client.bottom}, m_paintedDepth);
    const bool compared =
        ForEachChange(client, m_paintedPicture, next,
                      [this](const RECT& run, BarColour) { InvalidateRect(m_hWnd, &run, FALSE); });
    if (!compared && !SamePicture(m_paintedPicture, next)) {
        Redraw();
    }
}

void CProgressCtrlX::OnPaint() {
    // The paint below draws only inside the update region: it must cover
    // every pixel where the screen's picture is not the current one.
    InvalidateWhatChanged();
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(m_hWnd, &client);
    Draw(dc, client);
    EndPaint(m_hWnd, &paint);
}

void CProgressCtrlX::Draw(HDC dc, const RECT& rect) {
    SurfaceDepth depth;
    depth.palette = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
    depth.bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    const BarPicture picture = Plan({rect.left, rect.top, rect.right, rect.bottom}, depth);
    if (m_painted && (depth.palette != m_paintedDepth.palette ||
                      depth.bitsPerPixel != m_paintedDepth.bitsPerPixel)) {
        Redraw();  // planned for another surface: the next paint draws it all
    }
    m_painted = true;
    m_paintedClient = rect;
    m_paintedDepth = depth;
    m_paintedPicture = picture;

    CMemDCNew memory(dc, &rect, BackgroundColour() == kNoColour);
    if (picture.hasBackground) {
        Fill(memory.Dc(), picture.background);
    }
    for (const BarFill& band : picture.bands) {
        Fill(memory.Dc(), band);
    }
    PaintBarText(memory.Dc(), picture);
}

void CProgressCtrlX::PaintBarText(HDC dc, const BarPicture& picture) {
    if (picture.text.empty()) {
        return;
    }
    const auto font = reinterpret_cast<HFONT>(Font());
    const HGDIOBJ oldFont =
        SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32W(dc, picture.text.c_str(), static_cast<int>(picture.text.size()), &extent);
    const bool onFill = (picture.style & BAR_TEXT_ON_FILL) != 0;
    const RECT full = ToRect(picture.fullSpan);
    const RECT bar = ToRect(picture.barSpan);
    const RECT& place = onFill ? bar : full;
    POINT origin{(place.left + place.right - extent.cx) / 2,
                 (place.top + place.bottom - extent.cy) / 2};
    if ((picture.style & BAR_ALIGN_LEFT) != 0) {
        origin.x = place.left;
    } else if ((picture.style & BAR_ALIGN_RIGHT) != 0) {
        origin.x = place.right - extent.cx;
    }
    if ((picture.style & BAR_ALIGN_TOP) != 0) {
        origin.y = place.top;
    } else if ((picture.style & BAR_ALIGN_BOTTOM) != 0) {
        origin.y = place.bottom - extent.cy;
    }
    if (onFill) {
        const bool vertical = (picture.style & BAR_VERTICAL) != 0;
        const LONG room = vertical ? bar.bottom - bar.top : bar.right - bar.left;
        if (room >= (vertical ? extent.cy : extent.cx)) {
            PaintClippedText(dc, bar, picture.text, origin, picture.barTextColour);
        }
    } else {
        PaintClippedText(dc, full, picture.text, origin, picture.backgroundTextColour);
        if (picture.barTextColour != picture.backgroundTextColour) {
            PaintClippedText(dc, bar, picture.text, origin, picture.barTextColour);
        }
    }
    SelectObject(dc, oldFont);
}
