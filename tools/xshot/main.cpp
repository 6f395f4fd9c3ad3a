// tavo-xshot: saves a rectangle of the X display's screen as a PNG file.
//
//   tavo-xshot X Y WIDTH HEIGHT OUT.png
//
// The display is $DISPLAY. Screenshot scripts and GUI tests find a window's
// rectangle with `xdotool getwindowgeometry` and hand it over. Exit code 0
// on success, 1 with a line on stderr otherwise.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: tavo-xshot X Y WIDTH HEIGHT OUT.png\n");
        return 1;
    }
    if (!gdk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "tavo-xshot: cannot open the display\n");
        return 1;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, width, height);
    if (shot == nullptr) {
        std::fprintf(stderr, "tavo-xshot: cannot read %dx%d at %d,%d\n", width, height, x, y);
        return 1;
    }
    GError* error = nullptr;
    const bool saved = gdk_pixbuf_save(shot, argv[5], "png", &error, nullptr) != FALSE;
    if (!saved) {
        std::fprintf(stderr, "tavo-xshot: %s\n", error != nullptr ? error->message : "not saved");
        g_clear_error(&error);
    }
    g_object_unref(shot);
    return saved ? 0 : 1;
}
