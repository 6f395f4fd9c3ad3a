#include "views/win32/memdc.h"

CMemDCNew::CMemDCNew(HDC target, const RECT* rect, bool copyFirst)
    : m_target(target), m_dc(target) {
    if (GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER) {
        return;
    }
    if (rect != nullptr) {
        m_rect = *rect;
    } else {
        GetClipBox(target, &m_rect);
    }
    const int width = m_rect.right - m_rect.left;
    const int height = m_rect.bottom - m_rect.top;
    const HDC dc = CreateCompatibleDC(target);
    m_bitmap = dc != nullptr ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (m_bitmap == nullptr) {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        return;  // out of GDI resources: draw on the target
    }
    m_dc = dc;
    m_buffered = true;
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    // The rectangle keeps its coordinates on the off-screen surface.
    SetWindowOrgEx(m_dc, m_rect.left, m_rect.top, nullptr);
    if (copyFirst) {
        BitBlt(m_dc, m_rect.left, m_rect.top, width, height, m_target, m_rect.left, m_rect.top,
               SRCCOPY);
    }
}

CMemDCNew::~CMemDCNew() {
    if (!m_buffered) {
        return;
    }
    BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
           m_rect.bottom - m_rect.top, m_dc, m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_dc, m_oldBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}
