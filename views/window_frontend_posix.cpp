// The Linux window front end: the GTK window, loaded from its module next
// to the program when a display may be there.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "views/gtk/gtk_module.h"
#include "views/window_frontend.h"

namespace {

using CanOpenFunction = bool (*)();
using RunFunction = int (*)();

RunFunction g_run = nullptr;  // set by WindowCanOpen when the module loaded

// The folder of this program's file, with a trailing '/'; empty when
// /proc/self/exe cannot be read.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    const std::string file(path, static_cast<size_t>(n));
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool DisplayNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

bool WindowCanOpen() {
    // Without a display named nothing could open one: GTK is not loaded.
    if (!DisplayNamed()) {
        return false;
    }
    const std::string folder = ProgramFolder();
    if (folder.empty()) {
        return false;
    }
    // Never unloaded: the window runs until the process ends.
    void* module = dlopen((folder + TAVO_GTK_MODULE_NAME).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return false;  // the headless front end then runs
    }
    const auto canOpen = reinterpret_cast<CanOpenFunction>(dlsym(module, TAVO_GTK_CAN_OPEN));
    const auto run = reinterpret_cast<RunFunction>(dlsym(module, TAVO_GTK_RUN));
    if (canOpen == nullptr || run == nullptr || !canOpen()) {
        return false;
    }
    g_run = run;
    return true;
}

int RunWindowFrontEnd() {
    return g_run != nullptr ? g_run() : 1;
}
