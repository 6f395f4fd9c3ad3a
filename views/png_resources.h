// The program's own PNG pictures, by resource id, as the bytes of the PNG
// file. The Win32 front end decodes them with GDI+, the GTK front end with a
// GdkPixbufLoader.
#pragma once

#include <cstddef>

inline constexpr int kPngClose = 135;         // close glyph, 834 x 834
inline constexpr int kPngMinimize = 137;      // minimise glyph, 835 x 834
inline constexpr int kPngErrorPicture = 138;  // error picture, 100 x 60
// The program icon. Windows: icon group 128 (LoadIconW), not a PNG
// resource; Linux: the icon as a 256 x 256 PNG under this id.
inline constexpr int kIconApp = 128;

// The bytes of PNG `id` of the program's own resources; false when there is
// none (data and size are then left alone). The bytes belong to the program
// and stay valid until it ends: never free them. Windows: the "PNG"
// resources of the program's module; Linux: copies compiled in. Any thread.
bool FindPngResource(int id, const unsigned char*& data, size_t& size);
