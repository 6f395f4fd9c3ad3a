#include "views/win32/mybutton.h"

#include <cstring>

#include "views/png_resources.h"

namespace {

// The window background under every picture.
constexpr COLORREF kGround = RGB(0xFB, 0xFB, 0xFB);

}  // namespace

bool LoadPngResource(int id, Gdiplus::Image*& out) {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    if (!FindPngResource(id, bytes, size)) {
        return false;
    }
    // The picture keeps its own copy of the bytes: a block that its stream
    // frees on its last release. GDI+ holds a reference to the stream for
    // as long as the image lives (it may read the pixels only when they are
    // first drawn), so this function's reference goes at once.
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* locked = block != nullptr ? GlobalLock(block) : nullptr;
    if (locked == nullptr) {
        if (block != nullptr) {
            GlobalFree(block);
        }
        return false;
    }
    std::memcpy(locked, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
        GlobalFree(block);
        return false;
    }
    // Null only when GDI+'s allocator fails. A PNG that GDI+ cannot decode
    // still gives an image, one that draws nothing.
    out = new Gdiplus::Image(stream);
    stream->Release();
    return true;
}

MyButton::~MyButton() {
    delete m_pImage;
}

bool MyButton::SubclassDlgItem(int id, HWND parent) {
    m_hWnd = GetDlgItem(parent, id);
    if (m_hWnd == nullptr) {
        return false;
    }
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    return true;
}

void MyButton::DrawItem() {
    if (m_hWnd == nullptr) {
        return;
    }
    const HDC dc = GetDC(m_hWnd);
    RECT client;
    GetClientRect(m_hWnd, &client);
    SetBkColor(dc, kGround);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    if (m_pImage != nullptr) {
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
        // Stretched to the button in both directions: the aspect ratio is
        // not kept.
        graphics.DrawImage(m_pImage, Gdiplus::Rect(0, 0, client.right, client.bottom), 0, 0,
                           static_cast<INT>(m_pImage->GetWidth()),
                           static_cast<INT>(m_pImage->GetHeight()), Gdiplus::UnitPixel, nullptr);
    }
    ReleaseDC(m_hWnd, dc);
}
