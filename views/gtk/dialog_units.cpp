#include "views/gtk/dialog_units.h"

#include <cstdint>

#include "views/main_view.h"

namespace {

// MulDiv: a x b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    const int64_t product = static_cast<int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (product < 0 ? -product : product);
    const int64_t divisor = c < 0 ? -static_cast<int64_t>(c) : c;
    const int64_t rounded = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

}  // namespace

DialogBaseUnits BaseUnitsFromFont(int lettersWidth, int fontHeight) {
    return {(lettersWidth / 26 + 1) / 2, fontHeight};
}

DialogRect MapDialogRect(const DialogRect& units, const DialogBaseUnits& base) {
    const int left = MulDiv(units.x, base.x, 4);
    const int right = MulDiv(units.x + units.width, base.x, 4);
    const int top = MulDiv(units.y, base.y, 8);
    const int bottom = MulDiv(units.y + units.height, base.y, 8);
    return {left, top, right - left, bottom - top};
}

const std::vector<TemplateControl>& MainDialogControls() {
    static const std::vector<TemplateControl> controls = {
        {kCtrlMinimize, {385, 16, 10, 10}},     {kCtrlCloseGlyph, {407, 16, 10, 10}},
        {kCtrlStatus, {15, 55, 403, 45}},       {kCtrlProgress, {30, 100, 373, 10}},
        {kCtrlErrorPicture, {189, 53, 66, 40}}, {kCtrlErrorText, {15, 113, 403, 43}},
        {kCtrlHelp, {321, 157, 46, 19}},        {kCtrlClose, {374, 157, 46, 19}},
    };
    return controls;
}

DialogRect MainDialogControl(int id) {
    for (const TemplateControl& c : MainDialogControls()) {
        if (c.id == id) {
            return c.units;
        }
    }
    return {};
}
