// The PNG loader on GTK: the program's pictures, built into it as PNG
// bytes, decoded into GdkPixbufs.
//
// Window (UI) thread.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

// Picture ids: the close glyph, the minimise glyph, the error picture, and
// the application icon.
inline constexpr int kPngCloseGlyph = 135;
inline constexpr int kPngMinimizeGlyph = 137;
inline constexpr int kPngErrorPicture = 138;
inline constexpr int kIconApplication = 128;

// Decodes picture `id`. True with a new reference in `out` (the caller
// unrefs it); false, leaving `out` unchanged, when the program holds no such
// picture or its bytes do not decode.
bool LoadPngResource(int id, GdkPixbuf*& out);
