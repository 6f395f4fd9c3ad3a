#include "tests/support/screen_win.h"

namespace TestSupport {

DibSurface::DibSurface(int width, int height) : width_(width), height_(height) {
    const HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = dc_ != nullptr && width > 0 && height > 0
                  ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0)
                  : nullptr;
    if (bitmap_ != nullptr) {
        old_ = SelectObject(dc_, bitmap_);
    } else {
        bits_ = nullptr;
    }
}

DibSurface::~DibSurface() {
    if (bitmap_ != nullptr) {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
    }
    if (dc_ != nullptr) {
        DeleteDC(dc_);
    }
}

Image DibSurface::Pixels() const {
    Image image;
    if (bits_ == nullptr) {
        return image;
    }
    GdiFlush();
    const auto* bgra = static_cast<const unsigned char*>(bits_);
    image.width = width_;
    image.height = height_;
    image.pixels.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = {bgra[i * 4 + 2], bgra[i * 4 + 1], bgra[i * 4], 255};
    }
    return image;
}

bool CaptureScreen(const RECT& rect, Image& out) {
    DibSurface surface(rect.right - rect.left, rect.bottom - rect.top);
    if (surface.Dc() == nullptr) {
        return false;
    }
    const HDC screen = GetDC(nullptr);
    const bool ok = BitBlt(surface.Dc(), 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                           screen, rect.left, rect.top, SRCCOPY) != FALSE;
    ReleaseDC(nullptr, screen);
    if (ok) {
        out = surface.Pixels();
    }
    return ok;
}

RECT ScreenRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ControlRect(HWND dialog, int id) {
    return ScreenRectOf(GetDlgItem(dialog, id));
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

Image Crop(const Image& image, POINT origin, const RECT& rect) {
    Image part;
    const int left = rect.left - origin.x;
    const int top = rect.top - origin.y;
    part.width = rect.right - rect.left;
    part.height = rect.bottom - rect.top;
    if (left < 0 || top < 0 || part.width <= 0 || part.height <= 0 ||
        left + part.width > image.width || top + part.height > image.height) {
        return Image{};
    }
    for (int y = 0; y < part.height; ++y) {
        for (int x = 0; x < part.width; ++x) {
            part.pixels.push_back(image.At(left + x, top + y));
        }
    }
    return part;
}

}  // namespace TestSupport
