#include "views/window_fonts.h"

WindowFontHeights FontHeightsForScale(double scale) {
    // Truncated toward zero, like the int conversion of the original sizes.
    return {static_cast<int>(20 * scale), static_cast<int>(23 * scale),
            static_cast<int>(25 * scale)};
}
