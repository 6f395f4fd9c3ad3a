// TavoInstaller: the online installer's entry point.
#include "services/fault_report.h"
#include "services/installer_trust.h"
#include "utils/system/disk.h"
#include "views/frontend.h"
#include "views/headless_frontend.h"
#include "views/window_frontend.h"

int main() {
    // Files this program could not delete on an earlier run (Linux records
    // them; Windows deletes them itself at restart).
    Utils::HonourPendingDeletes();
    // Who may sign the full installer (TAVO_INSTALLER_SIGNERS; "" for none).
    Services::SetInstallerSignerPins(TAVO_INSTALLER_SIGNERS);
    // Faults queued on the way are posted by the exit sequence's flush.
    Services::InstallFaultSender();
    switch (ChooseFrontEnd(HeadlessRequested(), WindowCanOpen)) {
        case FrontEnd::kWindow:
            return RunWindowFrontEnd();
        case FrontEnd::kHeadless:
            break;
    }
    return RunHeadlessFrontEnd();
}
