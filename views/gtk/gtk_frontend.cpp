// The GTK 3 front end: the window's initialisation in its order, the
// worker's messages delivered on the main loop in posting order, and
// SIGUSR1 as the outside stop request (message 1129). Built into the window
// module (gtk_module.h) that the program loads only when it shows a window.
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "services/installer_result.h"
#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "utils/system/dpi.h"
#include "views/exit_services.h"
#include "views/gtk/gtk_main_window.h"
#include "views/headless_frontend.h"
#include "views/process_end.h"
#include "views/startup.h"
#include "views/vorlininstallerdlg.h"
#include "views/gtk/gtk_module.h"

namespace {

// The worker's message target: a queue that wakes the main loop through an
// eventfd. The worker only writes to the descriptor; it never calls GLib.
// The full installer is given this process's id (StopRequestTarget), to
// which it sends SIGUSR1.
class GtkWindowLink : public MessageQueue {
  public:
    GtkWindowLink() : m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        SetWakeUp([fd = m_wakeFd] {
            const uint64_t one = 1;
            if (write(fd, &one, sizeof one) < 0) {
                // The counter is full: a wake-up is pending anyway.
            }
        });
    }
    int WakeFd() const { return m_wakeFd; }

  private:
    int m_wakeFd;
};

struct Loop {
    GtkWindowLink* link;
    CVorlinInstallerDlg* dlg;
};

// Hands every queued message to the window, oldest first.
gboolean OnWake(gint fd, GIOCondition, gpointer data) {
    auto* loop = static_cast<Loop*>(data);
    uint64_t count = 0;
    if (read(fd, &count, sizeof count) < 0) {
        // Nothing to reset: drain anyway.
    }
    QueuedMessage m{0, 0};
    while (!loop->dlg->Ending() && loop->link->TryTake(m)) {
        if (!loop->dlg->HandleMessage(m.message, m.payload)) {
            FreePayload(m.message, m.payload);
        }
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnStopSignal(gpointer data) {
    static_cast<Loop*>(data)->link->Post(kMsgStopRequest, 0);
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool TavoGtkWindowCanOpen() {
    return gtk_init_check(nullptr, nullptr) != FALSE;
}

int TavoGtkRunWindowFrontEnd() {
    // Never destroyed: the worker may post and read the shared members until
    // the very end of the process, which ends without tearing anything down.
    static GtkWindowLink& link = *new GtkWindowLink;
    static Loop& loop = *new Loop{&link, nullptr};
    // SIGUSR1 before anything else: its default action would end the
    // process. The handler is caught, so programs started later get the
    // default disposition back.
    g_unix_signal_add(SIGUSR1, OnStopSignal, &loop);

    // The window, its title, menu and icon.
    CGtkMainWindow& window = *new CGtkMainWindow;
    EnsureSingleInstance([&window](const std::wstring& text) { window.MessageBox(text); },
                         EndProcessNow);
    ParseCommandLine();
    window.PrepareControls(Utils::GetDpiScale());

    SetMainWindow(&link);
    auto& dlg =
        *new CVorlinInstallerDlg(window, link.Shared(), DefaultExitServices(), BuildHelpUrl);
    loop.dlg = &dlg;
    window.Attach(dlg);
    g_unix_fd_add(link.WakeFd(), G_IO_IN, OnWake, &loop);
    dlg.OnInitDialog(StartWorkerThread);
    // Shown only now: messages the worker has posted meanwhile wait in the
    // queue and are handled once the loop runs, in posting order.
    window.Show();
    gtk_main();
    return 1;
}
