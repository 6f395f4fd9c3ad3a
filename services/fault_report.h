// The fault report: each queued fault goes to the service as one JSON object
// posted to <base>/browser/c/fault, when the program ends (the window's exit
// sequence calls Utils::FlushFaultReports, which hands every pending fault to
// the sender installed here).
#pragma once

#include <string>

#include "utils/system/faults.h"

namespace Services {

// The service path of fault reports.
inline constexpr const char* kFaultPath = "/browser/c/fault";

// The fault body as compact JSON, built at the moment of the call: the id and
// content joined by one blank, the local time, the OS bitness, this
// program's path, the main window's UUID ("" without a window) and the fixed
// values the service expects. Any thread.
std::string BuildFaultBody(const Utils::FaultInfo& fault);

// The request header text: User-Agent, then Content-Type: application/json.
std::string FaultHeaders();

// Posts the fault to each base address of activeBaseUrls in turn (time-out 2
// seconds) until one accepts it with status 200; when none does, the fault
// is dropped. Nothing is logged beyond the HTTP layer's lines. Blocks; the
// window's thread calls it through the flush.
void SendFaultReport(const Utils::FaultInfo& fault);

// Makes SendFaultReport the fault sender of Utils::ReportFault. Called once
// at start-up, before the worker starts.
void InstallFaultSender();

}  // namespace Services
