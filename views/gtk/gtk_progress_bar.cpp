#include "views/gtk/gtk_progress_bar.h"

namespace {

void SetColour(cairo_t* cr, BarColour colour) {
    cairo_set_source_rgb(cr, BarRed(colour) / 255.0, BarGreen(colour) / 255.0,
                         BarBlue(colour) / 255.0);
}

void Fill(cairo_t* cr, const BarFill& fill) {
    if (fill.rect.Width() <= 0 || fill.rect.Height() <= 0) {
        return;
    }
    SetColour(cr, fill.colour);
    cairo_rectangle(cr, fill.rect.left, fill.rect.top, fill.rect.Width(), fill.rect.Height());
    cairo_fill(cr);
}

}  // namespace

CGtkProgressBar::CGtkProgressBar() : m_area(gtk_drawing_area_new()) {
    g_object_ref_sink(m_area);
    // A press on the bar belongs to the bar, as on a control: it never
    // moves the window (OnDraw is the only other handler).
    gtk_widget_add_events(m_area, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(m_area, "button-press-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean { return TRUE; }),
                     nullptr);
    g_signal_connect(m_area, "draw", G_CALLBACK(OnDraw), this);
}

CGtkProgressBar::~CGtkProgressBar() {
    if (m_timer != 0) {
        g_source_remove(m_timer);
    }
    if (m_surface != nullptr) {
        cairo_surface_destroy(m_surface);
    }
    g_object_unref(m_area);
}

intptr_t CGtkProgressBar::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const BarMessageResult result = m_bar.OnBarMessage(message, wParam, lParam);
    Apply(result);
    return result.result;
}

void CGtkProgressBar::Apply(const BarMessageResult& result) {
    if (result.redraw || result.redrawNow) {
        gtk_widget_queue_draw(m_area);
    }
}

void CGtkProgressBar::StartRunner() {
    m_bar.BeginRunner();
    if (m_timer != 0) {
        g_source_remove(m_timer);
    }
    m_timer = g_timeout_add(kRunnerPeriodMs, OnTick, this);
    gtk_widget_queue_draw(m_area);
}

void CGtkProgressBar::StopRunner() {
    m_bar.EndRunner();
    if (m_timer != 0) {
        g_source_remove(m_timer);
        m_timer = 0;
    }
}

gboolean CGtkProgressBar::OnTick(gpointer data) {
    auto* self = static_cast<CGtkProgressBar*>(data);
    // The runner advances on every tick; its picture is repainted on every
    // kTicksPerRepaint-th. A GTK repaint costs several times a tick, and
    // 100 of them a second would take some 4 % of a core for a segment
    // that moves 5 pixels at a time.
    const BarMessageResult result = self->m_bar.OnBarMessage(BarMsg::kTimer, kRunnerTimerId, 0);
    if (result.redraw && ++self->m_ticksSincePaint >= kTicksPerRepaint) {
        gtk_widget_queue_draw(self->m_area);
    }
    return G_SOURCE_CONTINUE;
}

gboolean CGtkProgressBar::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<CGtkProgressBar*>(data);
    self->m_ticksSincePaint = 0;
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    if (width <= 0 || height <= 0) {
        return TRUE;
    }
    const int scale = gtk_widget_get_scale_factor(widget);
    if (self->m_surface == nullptr ||
        cairo_image_surface_get_width(self->m_surface) != width * scale ||
        cairo_image_surface_get_height(self->m_surface) != height * scale) {
        if (self->m_surface != nullptr) {
            cairo_surface_destroy(self->m_surface);
        }
        self->m_surface =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale);
        cairo_surface_set_device_scale(self->m_surface, scale, scale);
    }
    // The picture is planned in GTK's pixels; the device scale makes each of
    // them `scale` surface pixels.
    const BarPicture picture = self->m_bar.Plan(BarRect{0, 0, width, height}, SurfaceDepth{});
    cairo_t* off = cairo_create(self->m_surface);
    cairo_set_antialias(off, CAIRO_ANTIALIAS_NONE);
    if (picture.hasBackground) {
        Fill(off, picture.background);
    } else {
        // No background colour: start from the window behind the bar.
        cairo_set_source_rgb(off, 0xFB / 255.0, 0xFB / 255.0, 0xFB / 255.0);
        cairo_paint(off);
    }
    for (const BarFill& band : picture.bands) {
        Fill(off, band);
    }
    cairo_destroy(off);
    cairo_surface_flush(self->m_surface);

    cairo_set_source_surface(cr, self->m_surface, 0, 0);
    cairo_paint(cr);
    return TRUE;
}
