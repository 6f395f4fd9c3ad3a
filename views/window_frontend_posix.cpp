#include "views/headless_frontend.h"
#include "views/window_frontend.h"

// No window front end on this platform in this build: the headless front
// end runs in its place.
bool WindowCanOpen() {
    return false;
}

int RunWindowFrontEnd() {
    return RunHeadlessFrontEnd();
}
