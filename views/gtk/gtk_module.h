// The entry points of the GTK window module (libtavo-window-gtk.so). The
// program loads the module only when a window may be shown, so that a run
// without a display never maps GTK and its libraries (some 8 MB of the
// process's memory). The module holds the GTK code alone: everything else it
// calls (the window logic, the services) is the program's own, exported by
// the program to the module, so there is one copy of every piece of shared
// state.
//
// Main thread only; the same contracts as WindowCanOpen and
// RunWindowFrontEnd (window_frontend.h).
#pragma once

extern "C" {

// gtk_init_check: whether the display opens.
bool TavoGtkWindowCanOpen();

// Runs the window until the exit sequence ends the process.
int TavoGtkRunWindowFrontEnd();

// The names the program looks the entry points up by.
#define TAVO_GTK_MODULE_NAME "libtavo-window-gtk.so"
#define TAVO_GTK_CAN_OPEN "TavoGtkWindowCanOpen"
#define TAVO_GTK_RUN "TavoGtkRunWindowFrontEnd"
}
