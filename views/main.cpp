// TavoInstaller: the online installer's entry point.
#include "utils/system/disk.h"
#include "views/console_frontend.h"

int main() {
    // Files this program could not delete on an earlier run (Linux records
    // them; Windows deletes them itself at restart).
    Utils::HonourPendingDeletes();
    return RunConsoleFrontEnd();
}
