#include "views/win32/mybutton.h"

#include <cstring>

#include "views/png_resources.h"

namespace {

// The window background under every picture.
constexpr COLORREF kGround = RGB(0xFB, 0xFB, 0xFB);

// A copy of `image` that owns its pixels: an image made from a stream reads
// the stream lazily, and the stream is released after loading.
Gdiplus::Image* Decoded(Gdiplus::Image& image) {
    const UINT width = image.GetWidth();
    const UINT height = image.GetHeight();
    if (width == 0 || height == 0) {
        return nullptr;
    }
    // GDI+ objects come from GDI+'s own allocator, null when it fails.
    auto* copy = new Gdiplus::Bitmap(static_cast<INT>(width), static_cast<INT>(height),
                                     PixelFormat32bppPARGB);
    if (copy == nullptr) {
        return nullptr;
    }
    Gdiplus::Graphics graphics(copy);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.DrawImage(&image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    return copy;
}

}  // namespace

bool LoadPngResource(int id, Gdiplus::Image*& out) {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    if (!FindPngResource(id, bytes, size)) {
        return false;
    }
    // The stream gets a block of its own (a stream over memory needs a
    // movable block), freed here once the picture is decoded.
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
    if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) {
        GlobalFree(block);
        return false;
    }
    Gdiplus::Image* picture = nullptr;
    {
        Gdiplus::Image loaded(stream);
        picture = loaded.GetLastStatus() == Gdiplus::Ok ? Decoded(loaded) : nullptr;
        if (picture == nullptr) {
            // Undecodable: a picture all the same, one that draws nothing.
            picture = new Gdiplus::Bitmap(1, 1, PixelFormat32bppPARGB);
        }
    }
    stream->Release();
    GlobalFree(block);
    out = picture;
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
