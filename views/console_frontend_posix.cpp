#include <chrono>
#include <thread>

#include "services/message_queue.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/services.h"
#include "views/console_frontend.h"

int RunConsoleFrontEnd() {
    ParseCommandLine();
    MessageQueue window;
    SetMainWindow(&window);
    std::thread worker(Services::DoWork);
    for (;;) {
        QueuedMessage m{0, 0};
        if (!window.Take(m, std::chrono::hours(24))) {
            continue;
        }
        if (ShowNotification(m.message, m.payload)) {
            break;
        }
    }
    // 1124 is the worker's last act: the thread is about to end.
    worker.join();
    window.Close();
    SetMainWindow(nullptr);
    return 0;
}
