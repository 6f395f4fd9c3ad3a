// MyButton: a push button that the program draws itself as a picture from
// its own PNG resources, stretched over the whole button on a #FBFBFB
// ground, the same in every state (no hover, press or focus look). It
// clicks like any button (BN_CLICKED to its dialog).
//
// GDI+ must be started (CVorlinInstallerApp) before a picture is loaded or
// drawn. Window thread only.
#pragma once

#include <windows.h>
// WIN32_LEAN_AND_MEAN leaves out what <gdiplus.h> needs of COM.
#include <objidl.h>

// <gdiplus.h> wants min and max, which NOMINMAX hides.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

// Loads PNG resource `id` of the program as a picture with its own copy of
// the PNG bytes. True with the picture in `out` (null only when GDI+ has no
// memory left), which the caller then owns; false when the resource is
// missing or cannot be read (`out` is left alone). A PNG that GDI+ cannot
// decode still gives a picture, one that draws nothing.
bool LoadPngResource(int id, Gdiplus::Image*& out);

class MyButton {
  public:
    MyButton() = default;
    // Releases the picture.
    ~MyButton();
    MyButton(const MyButton&) = delete;
    MyButton& operator=(const MyButton&) = delete;

    // Takes control `id` of `parent` and makes it owner-drawn (its template
    // text is never shown). False when there is no such control.
    bool SubclassDlgItem(int id, HWND parent);
    HWND Window() const { return m_hWnd; }

    // The owner-draw routine: the dialog calls it for WM_DRAWITEM of this
    // button, whatever the state.
    void DrawItem();

    // The picture, owned by the button; null until one is given.
    Gdiplus::Image* m_pImage = nullptr;

  private:
    HWND m_hWnd = nullptr;
};
