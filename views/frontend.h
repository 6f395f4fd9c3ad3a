// The choice of the program's front end, made in one place (main).
#pragma once

#include <functional>

enum class FrontEnd {
    kHeadless,  // the console (headless_frontend.h)
    kWindow,    // a window on the display
};

// kHeadless when `headlessRequested` or when `windowCanOpen` says that no
// window can be opened here (no display); kWindow otherwise.
// `windowCanOpen` is asked only when the choice depends on it, since opening
// a display is the costly part.
FrontEnd ChooseFrontEnd(bool headlessRequested, const std::function<bool()>& windowCanOpen);

// The environment variable TAVO_HEADLESS is "1".
bool HeadlessRequested();
