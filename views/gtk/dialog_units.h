// Dialog units to pixels, the way the Windows dialog manager maps its
// templates, for the GTK window: one horizontal unit is a quarter of the
// dialog font's average character width, one vertical unit an eighth of its
// height. The main window's template (431 x 185 units and its controls) is
// kept here in units, and every pixel position derives from it.
//
// Plain arithmetic; gtk_dialog_font.h measures the font.
#pragma once

#include <vector>

// A rectangle: position and size (dialog units or pixels, as named).
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The dialog font's base units in pixels.
struct DialogBaseUnits {
    int x = 0;  // average character width
    int y = 0;  // character height (ascent plus descent)
};

// The base units of a font whose 52 letters "A".."Z", "a".."z" laid out in
// one line are `lettersWidth` pixels wide and whose height is
// `fontHeight` pixels: the average width rounded as Windows rounds it,
// (lettersWidth / 26 + 1) / 2.
DialogBaseUnits BaseUnitsFromFont(int lettersWidth, int fontHeight);

// `units` mapped to pixels: each edge separately, x edges times base.x / 4,
// y edges times base.y / 8, rounded to the nearest pixel with halves away
// from zero (MulDiv), so neighbouring controls share their edges exactly.
DialogRect MapDialogRect(const DialogRect& units, const DialogBaseUnits& base);

// The main window's template in dialog units.
struct TemplateControl {
    int id;
    DialogRect units;
};
inline constexpr int kMainDialogWidth = 431;
inline constexpr int kMainDialogHeight = 185;
// The controls of the main window, by id (views/main_view.h), in the
// template's order.
const std::vector<TemplateControl>& MainDialogControls();
// One control's rectangle in units; a zero rectangle for an unknown id.
DialogRect MainDialogControl(int id);

// The about box's template: 170 x 62 units, the icon at 14,14, the text
// at 42,14 (114 x 8), the OK button at 113,41 (50 x 14).
inline constexpr int kAboutDialogWidth = 170;
inline constexpr int kAboutDialogHeight = 62;
inline constexpr DialogRect kAboutIcon{14, 14, 0, 0};
inline constexpr DialogRect kAboutText{42, 14, 114, 8};
inline constexpr DialogRect kAboutOk{113, 41, 50, 14};
