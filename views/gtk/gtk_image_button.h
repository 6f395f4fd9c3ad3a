// MyButton on GTK: a push button that draws itself as a #FBFBFB area with
// its picture stretched over the whole button (aspect ratio not kept,
// high-quality scaling). It clicks like any button (mouse, Space) and never
// changes its look with hover, press or focus.
//
// Window (UI) thread only.
#pragma once

#include <gtk/gtk.h>

class CGtkImageButton {
  public:
    CGtkImageButton();
    ~CGtkImageButton();
    CGtkImageButton(const CGtkImageButton&) = delete;
    CGtkImageButton& operator=(const CGtkImageButton&) = delete;

    // The button; the window's container owns it once it is added.
    GtkWidget* Widget() const { return m_button; }

    // Gives the button its picture (the button takes a reference); null
    // leaves it a plain #FBFBFB area.
    void SetPicture(GdkPixbuf* picture);

  private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);

    GtkWidget* m_button = nullptr;
    GdkPixbuf* m_picture = nullptr;  // owned reference, or null
    GdkPixbuf* m_scaled = nullptr;   // the picture at the last drawn size
};
