// What the fake full installer is asked to do: a JSON object, read from the
// environment variable TAVO_FAKE_INSTALLER_SCENARIO (the JSON text itself, or
// the path of a file that holds it). See docs/fake-full-installer.md.
#pragma once

#include <cstdint>
#include <string>

namespace FakeInstaller {

struct Scenario {
    int exitCode = 0;          // "exit": the exit code (-1 included)
    bool browser = true;       // "browser": leave "Tavo.exe" (codes 0 and 4)
    uint32_t result = 0;       // "result": InstallerResult
    std::string resultText;    // "resultText": InstallerResultUIString
    uint32_t hangSeconds = 0;  // "hangSeconds": wait this long first
    bool stop = false;         // "stop": send the stop request back
    uint32_t failFirst = 0;    // "failFirst": the first runs exit with -1 at once
};

// Reads `text` (a JSON object; members as above, all optional). A
// "resultText" without "result" makes the result the exit code. False with
// `error` set for anything else: not JSON, an unknown member, a wrong type.
bool ParseScenario(const std::string& text, Scenario& out, std::string& error);

// The scenario of this run: the variable's JSON text, or the file it names
// (the default scenario when it is unset or empty).
bool LoadScenario(Scenario& out, std::string& error);

}  // namespace FakeInstaller
