// tavo-fake-full-installer: a stand-in for the full installer in tests and
// the demo (fake_installer.h).
#include "tools/fake-full-installer/fake_installer.h"
#include "utils/system/arguments.h"

int main() {
    return FakeInstaller::Run(Utils::GetProcessArguments());
}
