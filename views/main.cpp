// TavoInstaller: the online installer's entry point.
#include "services/fault_report.h"
#include "utils/system/disk.h"
#include "views/frontend.h"
#include "views/headless_frontend.h"

namespace {

// Whether a window front end can open a display here. No window front end
// is part of this build yet, so never.
bool WindowCanOpen() {
    return false;
}

}  // namespace

int main() {
    // Files this program could not delete on an earlier run (Linux records
    // them; Windows deletes them itself at restart).
    Utils::HonourPendingDeletes();
    // Faults queued on the way are posted by the exit sequence's flush.
    Services::InstallFaultSender();
    switch (ChooseFrontEnd(HeadlessRequested(), WindowCanOpen)) {
        case FrontEnd::kHeadless:
            return RunHeadlessFrontEnd();
        case FrontEnd::kWindow:
            break;  // not built yet: WindowCanOpen never says yes
    }
    return RunHeadlessFrontEnd();
}
