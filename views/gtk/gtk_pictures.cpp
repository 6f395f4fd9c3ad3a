#include "views/gtk/gtk_pictures.h"

#include "views/png_resources.h"

bool LoadPngResource(int id, GdkPixbuf*& out) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!FindPngResource(id, data, size)) {
        return false;
    }
    // The loader decodes the whole picture at once: the pixbuf owns its
    // pixels and never refers to the program's bytes.
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    if (loader == nullptr) {
        return false;
    }
    const bool written = gdk_pixbuf_loader_write(loader, data, size, nullptr) != FALSE;
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr) != FALSE;
    GdkPixbuf* picture = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (picture != nullptr) {
        out = GDK_PIXBUF(g_object_ref(picture));
    }
    g_object_unref(loader);
    return picture != nullptr;
}
