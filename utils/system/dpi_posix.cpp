// The only file of the system layer that includes Xlib: its headers define
// Status, Success, None and Bool as macros.
#include <X11/Xlib.h>

#include <cstdlib>

#include "utils/system/dpi.h"

namespace Utils {

double GetDpiScale() {
    int dpi = 0;
    if (Display* display = XOpenDisplay(nullptr)) {
        dpi = ParseXftDpi(XResourceManagerString(display));
        XCloseDisplay(display);
    }
    if (dpi == 0) {
        // No Xft.dpi: 96 dots per inch times the monitor scale GTK is told.
        const char* scale = std::getenv("GDK_SCALE");
        const int factor = scale != nullptr ? std::atoi(scale) : 1;
        dpi = 96 * (factor >= 1 ? factor : 1);
    }
    return DpiToScale(dpi);
}

}  // namespace Utils
