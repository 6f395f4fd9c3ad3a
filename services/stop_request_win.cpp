#include "services/launch.h"
#include "services/main_window_link.h"

intptr_t StopRequestTarget() {
    // The window that receives the worker's messages takes 1129 as well:
    // the dialog, or the headless front end's message-only window.
    MainWindowLink* window = GetMainWindow();
    return window != nullptr ? window->Handle() : 0;
}
