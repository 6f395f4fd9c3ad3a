#include <windows.h>

#include "utils/system/dpi.h"

namespace Utils {

double GetDpiScale() {
    HDC screen = GetDC(nullptr);
    const int x = GetDeviceCaps(screen, LOGPIXELSX);
    const int y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return DpiToScale((x + y) / 2);
}

}  // namespace Utils
