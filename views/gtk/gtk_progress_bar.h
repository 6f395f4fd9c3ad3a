// CProgressCtrlX on GTK: a drawing area over a CProgress (views/progress_model.h).
// Every paint builds the whole bar in an off-screen cairo image surface from
// CProgress::Plan and copies it to the window in one step, so the bar never
// flickers; the runner moves on timer 11 every 10 ms and is repainted at 25
// frames a second.
//
// Window (UI) thread only.
#pragma once

#include <gtk/gtk.h>

#include "views/progress_model.h"

class CGtkProgressBar {
  public:
    CGtkProgressBar();
    ~CGtkProgressBar();
    CGtkProgressBar(const CGtkProgressBar&) = delete;
    CGtkProgressBar& operator=(const CGtkProgressBar&) = delete;

    // The drawing area; the window's container owns it once it is added.
    GtkWidget* Widget() const { return m_area; }
    // The bar's state. Whoever changes it directly asks for a redraw
    // (gtk_widget_queue_draw on Widget()).
    CProgress& Model() { return m_bar; }
    const CProgress& Model() const { return m_bar; }

    // Passes a progress-bar message (BarMsg) to the bar and redraws as the
    // bar asks. Returns the message's result.
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The running segment: on (runner length 20, runner styles, timer 11
    // restarted) or off (the runner becomes an ordinary fill, timer 11
    // killed).
    void StartRunner();
    void StopRunner();
    bool RunnerTimerActive() const { return m_timer != 0; }

  private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean OnTick(gpointer self);
    void Apply(const BarMessageResult& result);

    // Runner ticks per repaint: 4 ticks of 10 ms, 25 frames a second.
    static constexpr int kTicksPerRepaint = 4;

    GtkWidget* m_area = nullptr;
    CProgress m_bar;
    guint m_timer = 0;                     // timer 11's source, 0 while it does not run
    int m_ticksSincePaint = 0;             // runner ticks not yet on screen
    cairo_surface_t* m_surface = nullptr;  // the off-screen picture, kept between paints
};
