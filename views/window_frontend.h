// The window front end of this platform, beside the headless one: the Win32
// dialog on Windows, the GTK 3 window on Linux. main() asks WindowCanOpen
// and, when it says yes, runs RunWindowFrontEnd.
//
// Both run on the process's main thread, which becomes the window's (UI)
// thread.
#pragma once

// Whether the window can be shown here: Linux opens the display
// (gtk_init_check, which also prepares GTK for RunWindowFrontEnd); false
// without a display. Called once, before RunWindowFrontEnd.
bool WindowCanOpen();

// Opens the window and runs it, in the order of the window's initialisation,
// until the exit sequence ends the process (exit code 0), or a second copy
// ends with -1. Returns only when the window could not be created after
// all, with a non-zero code.
int RunWindowFrontEnd();
