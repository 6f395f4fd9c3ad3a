// CMemDCNew: an off-screen drawing surface over a rectangle of a target
// surface. Everything drawn into it reaches the target in one copy when the
// object goes away, so a control that paints through it never flickers.
// Window thread.
#pragma once

#include <windows.h>

class CMemDCNew {
  public:
    // Over `rect` of `target` (null: the target's clip box). With
    // `copyFirst`, the target's current pixels are copied in first (for a
    // control that leaves parts of its background alone). A printing
    // surface is drawn on directly.
    CMemDCNew(HDC target, const RECT* rect, bool copyFirst);
    // Copies the rectangle to the target and frees the surface.
    ~CMemDCNew();
    CMemDCNew(const CMemDCNew&) = delete;
    CMemDCNew& operator=(const CMemDCNew&) = delete;

    // The surface to draw on: the off-screen one, or the target itself.
    HDC Dc() const { return m_dc; }

  private:
    HDC m_target;
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    RECT m_rect{};
    bool m_buffered = false;
};
