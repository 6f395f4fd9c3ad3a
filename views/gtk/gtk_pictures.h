// The PNG loader on GTK: the program's pictures (views/png_resources.h)
// decoded into GdkPixbufs.
//
// Window (UI) thread.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

// Decodes picture `id` (kPngClose, kPngMinimize, kPngErrorPicture, kIconApp).
// True with a new reference in `out` (the caller unrefs it); false, leaving
// `out` unchanged, when the program holds no such picture or its bytes do
// not decode.
bool LoadPngResource(int id, GdkPixbuf*& out);
