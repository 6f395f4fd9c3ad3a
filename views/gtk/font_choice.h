// Which installed face the GTK window draws its texts in, and how a
// Windows-style cell height becomes a font size. Plain logic over a
// question about the installed fonts; gtk_fonts.h asks fontconfig.
#pragma once

#include <functional>
#include <string>

// The faces tried after the window's own face (kWindowFontFace), in order:
// two CJK faces of Linux distributions; the last is the one scripts/setup-deps
// installs.
inline constexpr const char* kFallbackFontFaces[] = {"Noto Sans CJK SC", "WenQuanYi Micro Hei"};

// The window's own face when `installed` says yes to it, else the first
// fallback face it says yes to, else the last fallback face (fontconfig then
// substitutes what it has).
std::string ChooseFontFace(const std::function<bool(const std::string& family)>& installed);

// The em size in pixels that gives a face a cell height (ascent plus
// descent) of `cellHeight` pixels, when its ascent plus descent is
// `cellPerEm` times its em size. Windows sizes a font by its cell height
// when the requested height is positive; Pango sizes it by the em.
double EmSizeForCellHeight(int cellHeight, double cellPerEm);
