// The fake full installer's run: records its command line, "installs" the
// browser, leaves the registry values, sends the stop request back and
// exits with the code that the scenario (scenario.h) asks for. Run without
// "--from-tavo-setup" among its arguments it is the installed browser
// ("Tavo.exe", a copy of itself) instead: it records that it was started and
// exits with 0.
//
// Environment (all optional):
//   TAVO_FAKE_INSTALLER_SCENARIO       the scenario (scenario.h)
//   TAVO_FAKE_INSTALLER_RECORD         a file that gets one JSON line per run
//   TAVO_FAKE_INSTALLER_APPDATA        the folder to install into instead of
//                                      the local application data folder
//   TAVO_FAKE_INSTALLER_REGISTRY_ROOT  the registry store's root instead of
//                                      HKEY_CURRENT_USER (a test's
//                                      ScopedRegistryRoot)
// One thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace FakeInstaller {

// Runs once with this process's arguments (`args`, argv[0] first) and
// returns the exit code.
int Run(const std::vector<std::wstring>& args);

// Platform parts. The command line as the system gave it (Windows:
// GetCommandLineW; Linux has none: ""). Sends the stop request to `target`,
// the value of " --yindaohwnd=" (Windows: message 1129 posted to that
// window; Linux: SIGUSR1 to that process); true when it was sent. The value
// of the environment variable `name` in UTF-8 ("" when unset).
std::wstring RawCommandLine();
bool SendStopRequest(int64_t target);
std::string Environment(const char* name);

}  // namespace FakeInstaller
