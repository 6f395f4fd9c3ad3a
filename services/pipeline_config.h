// Process-wide values of the install pipeline: the mode and disk threshold
// from this program's command line, the service addresses, and the timings
// the final report sends.
//
// Threads: ParseCommandLine fills the mode, threshold and address lists on
// the window's thread before the worker starts; afterwards they are only
// read. The timings are written by the worker and read by the window's exit
// sequence, so they are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

extern bool releaseMode;         // false after "--test"
extern int64_t diskThresholdGb;  // GiB the default install location must offer
extern std::vector<std::string> productionBaseUrls;
extern std::vector<std::string> testBaseUrls;
extern std::vector<std::string> activeBaseUrls;  // production or test, by mode
extern std::vector<std::string> reportUrls;      // <base>/browser/c/boostrap/report
extern std::vector<std::string> editionUrls;     // <base>/browser/c/boostrap/getEdition

// Milliseconds (32-bit tick differences) of the run, the installer download
// and the launch; 0 until set.
extern std::atomic<int32_t> doWorkTotalTime;
extern std::atomic<int32_t> downloadVersionTime;
extern std::atomic<int32_t> excuteVersionTime;

// Lets the download progress callback post progress (installer download
// only). Worker thread only.
extern bool progressEnabled;

// The environment variable that, in test mode only, replaces the test base
// address (for example http://127.0.0.1:8090 for the development service).
inline constexpr const char* kTestBaseUrlVariable = "TAVO_TEST_BASE_URL";

// Reads this process's own command line and sets the values above.
void ParseCommandLine();

// The same for a given argument vector (argv[0] first, and skipped). Every
// call starts again from the defaults.
void ParseCommandLine(const std::vector<std::wstring>& args);
