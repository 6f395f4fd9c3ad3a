#include "views/headless_frontend.h"
#include "views/window_frontend.h"

// The Win32 dialog is not part of this build yet: the headless front end
// runs in its place.
bool WindowCanOpen() {
    return false;
}

int RunWindowFrontEnd() {
    return RunHeadlessFrontEnd();
}
