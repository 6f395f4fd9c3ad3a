#include "tests/support/xsession_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace TestSupport {

XvfbServer::XvfbServer() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_error = "no pipe";
        return;
    }
    // The write end as descriptor 3 of the server, which writes its display
    // number there once it accepts clients.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    m_pid = SpawnProgram(
        {"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x800x24"},
        {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        m_error = "Xvfb could not be started";
        return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, kGuiPatienceMs) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        m_error = "Xvfb did not say its display number";
        return;
    }
    m_display = ":" + number;
}

XvfbServer::~XvfbServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string WaitForWindow(const std::string& display, const std::string& title, int timeoutMs) {
    std::string found;
    WaitUntil(
        [&] {
            std::string out;
            if (RunForOutput({"env", "DISPLAY=" + display, "xdotool", "search", "--onlyvisible",
                              "--name", title},
                             out) &&
                !out.empty()) {
                found = out.substr(0, out.find('\n'));
            }
            return !found.empty();
        },
        timeoutMs);
    return found;
}

bool WindowVisible(const std::string& display, const std::string& title) {
    return !WaitForWindow(display, title, 0).empty();
}

bool WindowGeometry(const std::string& display, const std::string& id, ScreenRect& out) {
    std::string text;
    if (!RunForOutput({"env", "DISPLAY=" + display, "xdotool", "getwindowgeometry", "--shell", id},
                      text)) {
        return false;
    }
    // Lines "WINDOW=..", "X=..", "Y=..", "WIDTH=..", "HEIGHT=..", "SCREEN=..".
    std::map<std::string, int> values;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            values[line.substr(0, eq)] = std::atoi(line.c_str() + eq + 1);
        }
        start = end + 1;
    }
    if (values.count("X") == 0 || values.count("WIDTH") == 0) {
        return false;
    }
    out = {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
    return true;
}

uint32_t Image::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return (static_cast<uint32_t>(rgb[i]) << 16) | (static_cast<uint32_t>(rgb[i + 1]) << 8) |
           rgb[i + 2];
}

bool OpenGtk(const std::string& display) {
    static const std::string opened = display;
    static const bool ok = [] {
        setenv("DISPLAY", opened.c_str(), 1);
        gdk_set_allowed_backends("x11");
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return ok && opened == display;
}

bool Capture(const ScreenRect& rect, Image& out, const std::string& pngPath) {
    GdkWindow* root = gdk_get_default_root_window();
    if (root == nullptr) {
        return false;
    }
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, rect.x, rect.y, rect.width, rect.height);
    if (shot == nullptr) {
        return false;
    }
    out.width = gdk_pixbuf_get_width(shot);
    out.height = gdk_pixbuf_get_height(shot);
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const int channels = gdk_pixbuf_get_n_channels(shot);
    const guchar* pixels = gdk_pixbuf_read_pixels(shot);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            const size_t i = (static_cast<size_t>(y) * out.width + x) * 3;
            out.rgb[i] = p[0];
            out.rgb[i + 1] = p[1];
            out.rgb[i + 2] = p[2];
        }
    }
    if (!pngPath.empty()) {
        gdk_pixbuf_save(shot, pngPath.c_str(), "png", nullptr, nullptr);
    }
    g_object_unref(shot);
    return true;
}

}  // namespace TestSupport
