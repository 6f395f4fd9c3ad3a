// Fonts of the GTK window: which face is installed, the window's three text
// sizes, and the dialog font whose size gives the dialog units.
//
// Window (UI) thread, after GTK is initialised.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "views/gtk/dialog_units.h"

// Whether fontconfig knows a font with the family `family` under any of its
// names (a face may carry a Chinese and an English name).
bool FontFamilyInstalled(const std::string& family);

// The face of the window's texts (ChooseFontFace over the installed fonts),
// asked once and remembered.
const std::string& WindowFontFace();

// The window's face, thin weight, and an em size such that its cell height
// (ascent plus descent) is `cellHeight` pixels of the screen; `deviceScale`
// is GTK's own scale of the screen (GDK_SCALE), by which GTK multiplies every
// size itself. `context` measures the face. The caller frees the result
// (pango_font_description_free).
PangoFontDescription* WindowFontDescription(PangoContext* context, int cellHeight, int deviceScale);

// Sets `label`'s font to WindowFontDescription.
void SetLabelFont(GtkWidget* label, int cellHeight, int deviceScale);

// The dialog font's base units in GTK's pixels: the desktop's interface font
// (the family of the gtk-font-name setting) at 8 points on `widget`'s screen,
// measured with Pango: the width of the 52 letters and the height rounded up
// above and below the baseline, as Windows measures its dialog font.
DialogBaseUnits MeasureDialogBaseUnits(GtkWidget* widget);
