#include "views/frontend.h"

#include <cstdlib>
#include <cstring>

FrontEnd ChooseFrontEnd(bool headlessRequested, const std::function<bool()>& windowCanOpen) {
    if (headlessRequested || !windowCanOpen || !windowCanOpen()) {
        return FrontEnd::kHeadless;
    }
    return FrontEnd::kWindow;
}

bool HeadlessRequested() {
    const char* value = std::getenv("TAVO_HEADLESS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}
