#include "views/gtk/font_choice.h"

#include "utils/log/textconv.h"
#include "views/window_fonts.h"

std::string ChooseFontFace(const std::function<bool(const std::string& family)>& installed) {
    const std::string own = Utils::WideToUtf8(kWindowFontFace);
    if (installed && installed(own)) {
        return own;
    }
    for (const char* face : kFallbackFontFaces) {
        if (installed && installed(face)) {
            return face;
        }
    }
    return kFallbackFontFaces[sizeof kFallbackFontFaces / sizeof kFallbackFontFaces[0] - 1];
}

double EmSizeForCellHeight(int cellHeight, double cellPerEm) {
    // A face without sensible metrics is taken at its nominal size.
    if (cellPerEm < 0.5 || cellPerEm > 3.0) {
        return cellHeight;
    }
    return cellHeight / cellPerEm;
}
