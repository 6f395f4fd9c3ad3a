// One download of the pipeline (the full installer or its configuration
// file), the progress callback that turns byte counts into remaining-time
// texts and lets the user cancel, and the choice of another drive when the
// default install location is short of space.
//
// Threads: all of it runs on the worker (the progress callback on the thread
// that downloads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "utils/http/http.h"
#include "utils/system/drives.h"

namespace Services {

// Downloads `url` into a directory made for it, private to the user (see
// Utils::CreatePrivateDirectory): a new folder inside `installRoot` +
// "tempdir" when a root is given, else a new folder in the temporary
// folder; never one that existed before. Returns 0 with `path` set to
// the file; 0x2000 when the directory cannot be made (fault "services-8");
// 0x2000 + the HTTP layer's code otherwise (0x2007: cancelled through the
// progress callback).
int DownloadFile(const std::string& url, const std::wstring& installRoot, std::wstring& path);

// DownloadFile of a file the service described (HttpDownload's check of
// size and SHA-256: 0x2000 + 1005 for another file, 0x2000 + 1006 for a
// body short of its length). In release mode a plain http URL without a
// SHA-256 is refused before any request: 0x2000 + 1007 with the fault
// "services-10". A failed attempt removes its folder, which it left empty.
int DownloadFile(const std::string& url, const std::wstring& installRoot, std::wstring& path,
                 const Utils::HttpExpectedBody& expected);

// The HTTP layer's progress callback. False (the download stops) once the
// window asked the run to stop; otherwise, during the installer download,
// posts the remaining time and the percent at most every 300 ms, and nothing
// while the estimate is 0 or the total is unknown.
bool DoProgress(uint64_t current, uint64_t total);

// Restarts the clock of the remaining-time estimate: the download starts
// now, and the first progress post waits 300 ms from here. DownloadFile calls
// it before each transfer.
void StartProgressClock();

}  // namespace Services

// A drive root for the downloads and the full installer when the local
// application data folder has less than `diskThresholdGb` GiB free: the first
// fixed, non-USB drive with at least 1 GiB free (drive C only with the
// default threshold of 1). "" when none is needed or none qualifies.
std::wstring ChooseInstallRoot();

// What ChooseInstallRoot asks the system; production uses the system's.
struct InstallRootSources {
    bool (*getLocalAppDataPath)(std::wstring& out);
    bool (*getFreeSpace)(const std::wstring& dir, int64_t* freeBytes);
    std::vector<Utils::DriveRoot> (*listDrives)();
    bool (*isUsbDrive)(wchar_t letter);
};

// Test seams: other sources for ChooseInstallRoot, another tick count for the
// progress estimate (nullptr restores the system's). Set before the code
// under test runs.
void SetInstallRootSourcesForTesting(const InstallRootSources* sources);
void SetDownloadTickForTesting(uint32_t (*tick)());
