#include "tests/support/screen_win.h"

#include <vector>

namespace TestSupport {

bool CanMakeWindows() {
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

bool CaptureScreen(const RECT& rect, Image& out) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib != nullptr) {
        const HGDIOBJ old = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        GdiFlush();
        if (ok) {
            const auto* bgra = static_cast<const unsigned char*>(bits);
            out.width = width;
            out.height = height;
            out.pixels.resize(static_cast<size_t>(width) * height);
            for (size_t i = 0; i < out.pixels.size(); ++i) {
                out.pixels[i] = {bgra[i * 4 + 2], bgra[i * 4 + 1], bgra[i * 4], 255};
            }
        }
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
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
