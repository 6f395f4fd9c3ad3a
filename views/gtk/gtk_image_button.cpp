#include "views/gtk/gtk_image_button.h"

CGtkImageButton::CGtkImageButton() : m_button(gtk_button_new()) {
    g_object_ref_sink(m_button);
    gtk_button_set_relief(GTK_BUTTON(m_button), GTK_RELIEF_NONE);
    // Before the button's own drawing, which is then skipped entirely.
    g_signal_connect(m_button, "draw", G_CALLBACK(OnDraw), this);
}

CGtkImageButton::~CGtkImageButton() {
    if (m_scaled != nullptr) {
        g_object_unref(m_scaled);
    }
    if (m_picture != nullptr) {
        g_object_unref(m_picture);
    }
    g_object_unref(m_button);
}

void CGtkImageButton::SetPicture(GdkPixbuf* picture) {
    if (picture != nullptr) {
        g_object_ref(picture);
    }
    if (m_picture != nullptr) {
        g_object_unref(m_picture);
    }
    m_picture = picture;
    if (m_scaled != nullptr) {
        g_object_unref(m_scaled);
        m_scaled = nullptr;
    }
    gtk_widget_queue_draw(m_button);
}

gboolean CGtkImageButton::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<CGtkImageButton*>(data);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_set_source_rgb(cr, 0xFB / 255.0, 0xFB / 255.0, 0xFB / 255.0);
    cairo_paint(cr);
    if (self->m_picture != nullptr && width > 0 && height > 0) {
        // Scaled in device pixels, so a scaled screen gets a sharp picture.
        const int scale = gtk_widget_get_scale_factor(widget);
        const int w = width * scale;
        const int h = height * scale;
        if (self->m_scaled == nullptr || gdk_pixbuf_get_width(self->m_scaled) != w ||
            gdk_pixbuf_get_height(self->m_scaled) != h) {
            if (self->m_scaled != nullptr) {
                g_object_unref(self->m_scaled);
            }
            // Bilinear is gdk-pixbuf's best filter: it averages every source
            // pixel when scaling down (834 to a dozen pixels).
            self->m_scaled = gdk_pixbuf_scale_simple(self->m_picture, w, h, GDK_INTERP_BILINEAR);
        }
        if (self->m_scaled != nullptr) {
            cairo_save(cr);
            cairo_scale(cr, 1.0 / scale, 1.0 / scale);
            gdk_cairo_set_source_pixbuf(cr, self->m_scaled, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
    }
    return TRUE;
}
