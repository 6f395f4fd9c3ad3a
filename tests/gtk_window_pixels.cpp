#include "tests/gtk_window_pixels.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "utils/system/dpi.h"
#include "views/gtk/dialog_units.h"
#include "views/gtk/gtk_fonts.h"
#include "views/main_view.h"
#include "views/window_fonts.h"

using TestSupport::Image;
using TestSupport::ScreenRect;

namespace {

ScreenRect ToScreen(const DialogRect& r) {
    return {r.x, r.y, r.width, r.height};
}

bool Inside(const ScreenRect& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

bool IsInk(uint32_t rgb) {
    const int luma =
        (((rgb >> 16) & 0xFF) * 30 + ((rgb >> 8) & 0xFF) * 59 + (rgb & 0xFF) * 11) / 100;
    return luma < 128;
}

// `prefix` in the window's face at the status size, black on white.
Image RenderPrefix(const std::string& prefix) {
    GtkWidget* probe = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    PangoFontDescription* desc = WindowFontDescription(
        gtk_widget_get_pango_context(probe), FontHeightsForScale(Utils::GetDpiScale()).status, 1);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 120);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    if (const cairo_font_options_t* options =
            gdk_screen_get_font_options(gdk_screen_get_default())) {
        pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    }
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, prefix.c_str(), -1);
    cairo_move_to(cr, 10, 10);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);

    Image out;
    out.width = cairo_image_surface_get_width(surface);
    out.height = cairo_image_surface_get_height(surface);
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            const size_t i = (static_cast<size_t>(y) * out.width + x) * 3;
            out.rgb[i] = (px >> 16) & 0xFF;
            out.rgb[i + 1] = (px >> 8) & 0xFF;
            out.rgb[i + 2] = px & 0xFF;
        }
    }
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    pango_font_description_free(desc);
    gtk_widget_destroy(probe);
    return out;
}

// The ink's bounding box of `area` in `shot` (width 0 when none).
ScreenRect InkBox(const Image& shot, const ScreenRect& area) {
    int left = area.x + area.width, top = area.y + area.height, right = -1, bottom = -1;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            if (IsInk(shot.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? ScreenRect{} : ScreenRect{left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

WindowLayout ExpectedLayout() {
    GtkWidget* probe = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    const DialogBaseUnits base = MeasureDialogBaseUnits(probe);
    gtk_widget_destroy(probe);
    const auto at = [&base](int id) {
        return ToScreen(MapDialogRect(MainDialogControl(id), base));
    };
    WindowLayout layout;
    layout.window = ToScreen(MapDialogRect({0, 0, kMainDialogWidth, kMainDialogHeight}, base));
    layout.status = at(kCtrlStatus);
    layout.bar = at(kCtrlProgress);
    layout.errorPicture = at(kCtrlErrorPicture);
    layout.errorText = at(kCtrlErrorText);
    layout.help = at(kCtrlHelp);
    layout.close = at(kCtrlClose);
    layout.minimize = at(kCtrlMinimize);
    layout.closeGlyph = at(kCtrlCloseGlyph);
    return layout;
}

BarSpan ReadBar(const Image& shot, const ScreenRect& bar) {
    BarSpan span;
    const int middle = bar.y + bar.height / 2;
    int x = 0;
    while (x < bar.width && shot.At(bar.x + x, middle) != kBarFill) {
        ++x;
    }
    span.start = x;
    while (x < bar.width && shot.At(bar.x + x, middle) == kBarFill) {
        ++x;
    }
    span.end = x;
    if (span.start == bar.width) {
        span.start = span.end = 0;  // no fill at all
    }
    span.clean = true;
    for (int y = bar.y; y < bar.y + bar.height; ++y) {
        for (int i = 0; i < bar.width; ++i) {
            const bool filled = i >= span.start && i < span.end;
            if (shot.At(bar.x + i, y) != (filled ? kBarFill : kBarBackground)) {
                span.clean = false;
            }
        }
    }
    return span;
}

bool IsPercentWidth(int width, int length, int minPercent, int maxPercent) {
    for (int p = minPercent; p <= maxPercent && p <= 100; ++p) {
        if (width == static_cast<int>(static_cast<float>(p) * length / 100)) {
            return true;
        }
    }
    return false;
}

int CountOtherThan(const Image& shot, uint32_t colour, const ScreenRect& area) {
    int count = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            count += shot.At(x, y) != colour ? 1 : 0;
        }
    }
    return count;
}

int CountOtherThanOutside(const Image& shot, uint32_t colour,
                          const std::vector<ScreenRect>& except) {
    int count = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const bool excluded =
                std::any_of(except.begin(), except.end(),
                            [x, y](const ScreenRect& r) { return Inside(r, x, y); });
            count += !excluded && shot.At(x, y) != colour ? 1 : 0;
        }
    }
    return count;
}

int CountInk(const Image& shot, const ScreenRect& area) {
    int count = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            count += IsInk(shot.At(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool ShowsPicture(const Image& shot, const ScreenRect& area) {
    return CountOtherThan(shot, kBackground, area) > area.width * area.height / 50;
}

double StatusTextMatch(const Image& shot, const ScreenRect& status, const std::string& prefix) {
    const Image text = RenderPrefix(prefix);
    const ScreenRect mine = InkBox(text, {0, 0, text.width, text.height});
    const ScreenRect theirs = InkBox(shot, status);
    if (mine.width == 0 || theirs.width == 0) {
        return 0;
    }
    double best = 0;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            int both = 0, either = 0;
            for (int y = 0; y < mine.height; ++y) {
                for (int x = 0; x < mine.width; ++x) {
                    const bool a = IsInk(text.At(mine.x + x, mine.y + y));
                    const bool b = IsInk(shot.At(theirs.x + dx + x, theirs.y + dy + y));
                    both += a && b ? 1 : 0;
                    either += a || b ? 1 : 0;
                }
            }
            if (either > 0) {
                best = std::max(best, static_cast<double>(both) / either);
            }
        }
    }
    return best;
}

bool Click(const std::string& display, const ScreenRect& window, const ScreenRect& control) {
    std::string out;
    return TestSupport::RunForOutput(
        {"env", "DISPLAY=" + display, "xdotool", "mousemove", "--sync",
         std::to_string(window.x + control.x + control.width / 2),
         std::to_string(window.y + control.y + control.height / 2), "click", "1"},
        out);
}

bool PressEnter(const std::string& display, const std::string& id) {
    return PressKeys(display, id, {"Return"});
}

bool PressKeys(const std::string& display, const std::string& id,
               const std::vector<std::string>& keys) {
    std::vector<std::string> argv = {
        "env", "DISPLAY=" + display, "xdotool", "windowfocus", "--sync", id, "key"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    std::string out;
    return TestSupport::RunForOutput(argv, out);
}
