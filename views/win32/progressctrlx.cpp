#include "views/win32/progressctrlx.h"

#include <commctrl.h>

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
    if (r.redraw) {
        Redraw();
    }
    if (r.redrawNow) {
        UpdateWindow(m_hWnd);
    }
    return static_cast<LRESULT>(r.result);
}

void CProgressCtrlX::OnPaint() {
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
