// Display scale factor. Called on the window's thread at start-up.
#pragma once

namespace Utils {

// The screen's scale factor: 1.0 at 96 dpi, 0.25 more per further 24 dpi,
// never below 1.0. Windows: LOGPIXELSX/Y of the screen; Linux: the X
// resource Xft.dpi, else 96 x GDK_SCALE.
double GetDpiScale();

// The scale for `dpi` dots per inch by the rule above.
double DpiToScale(int dpi);

// The dpi of an X resource-manager string's "Xft.dpi" entry, or 0.
int ParseXftDpi(const char* resources);

}  // namespace Utils
