#include <signal.h>

#include <cstdlib>

#include "tools/fake-full-installer/fake_installer.h"

namespace FakeInstaller {

std::wstring RawCommandLine() {
    return {};  // a Linux program is given its words, not a line
}

bool SendStopRequest(int64_t target) {
    return target > 0 && kill(static_cast<pid_t>(target), SIGUSR1) == 0;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace FakeInstaller
