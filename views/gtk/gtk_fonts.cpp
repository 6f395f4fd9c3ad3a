#include "views/gtk/gtk_fonts.h"

#include <fontconfig/fontconfig.h>

#include "views/gtk/font_choice.h"
#include "views/window_fonts.h"

namespace {

// Ascent plus descent of `face` per pixel of em size, from its metrics at a
// large size so that rounding does not matter.
double MeasureCellPerEm(PangoContext* context, const std::string& face) {
    constexpr int kProbeSize = 1000;
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, face.c_str());
    pango_font_description_set_absolute_size(desc, kProbeSize * PANGO_SCALE);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, desc, pango_language_from_string("zh-cn"));
    const double cell =
        (pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) /
        static_cast<double>(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    pango_font_description_free(desc);
    return cell / kProbeSize;
}

// The same, measured once per face (the window has one face and four texts).
double CellPerEm(PangoContext* context, const std::string& face) {
    static std::string measuredFace;
    static double cellPerEm = 0;
    if (measuredFace != face) {
        cellPerEm = MeasureCellPerEm(context, face);
        measuredFace = face;
    }
    return cellPerEm;
}

}  // namespace

bool FontFamilyInstalled(const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

const std::string& WindowFontFace() {
    static const std::string face = ChooseFontFace(FontFamilyInstalled);
    return face;
}

PangoFontDescription* WindowFontDescription(PangoContext* context, int cellHeight,
                                            int deviceScale) {
    const std::string& face = WindowFontFace();
    const double em = EmSizeForCellHeight(cellHeight, CellPerEm(context, face)) /
                      (deviceScale > 0 ? deviceScale : 1);
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, face.c_str());
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(kWindowFontWeight));
    pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);
    return desc;
}

void SetLabelFont(GtkWidget* label, int cellHeight, int deviceScale) {
    PangoFontDescription* desc =
        WindowFontDescription(gtk_widget_get_pango_context(label), cellHeight, deviceScale);
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_desc_new(desc));
    gtk_label_set_attributes(GTK_LABEL(label), attributes);
    pango_attr_list_unref(attributes);
    pango_font_description_free(desc);
}

DialogBaseUnits MeasureDialogBaseUnits(GtkWidget* widget) {
    gchar* fontName = nullptr;
    g_object_get(gtk_settings_get_for_screen(gtk_widget_get_screen(widget)), "gtk-font-name",
                 &fontName, nullptr);
    PangoFontDescription* desc =
        pango_font_description_from_string(fontName != nullptr ? fontName : "Sans");
    g_free(fontName);
    pango_font_description_set_size(desc, 8 * PANGO_SCALE);  // points

    PangoContext* context = gtk_widget_create_pango_context(widget);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, desc, nullptr);
    const int height = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics)) +
                       PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
    g_object_unref(context);
    pango_font_description_free(desc);
    return BaseUnitsFromFont(width, height);
}
