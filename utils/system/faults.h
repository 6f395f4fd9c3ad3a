// The fault queue: faults met on the way are queued in memory, in order, and
// sent when the program ends. Any thread may queue; the list is guarded by a
// lock, and readers get a snapshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Utils {

struct FaultInfo {
    std::string strErrorId;  // "services-2", "http-1", "system-1", ...
    std::string strContent;  // UTF-8, or whatever bytes the source gave
    int32_t nBugCode;        // 900 at every call site
};

// sendNow false: appends the fault to the pending list (no log line, no
// validation). sendNow true: hands it to the fault sender at once instead;
// without a sender it is dropped with an error line.
void ReportFault(const std::string& errorId, int bugCode, const std::string& content, bool sendNow);

// Sends every pending fault now, in queueing order: ReportFault(id, code,
// content, true) for each record of a snapshot of the list. The list is left
// unchanged; faults queued meanwhile wait for a later flush. Blocks while
// the sender posts (the window's thread, on its way to the process end).
void FlushFaultReports();

// A copy of the pending list in queueing order.
std::vector<FaultInfo> PendingFaults();

// The function that sends one fault now (installed by the network layer).
using FaultSender = void (*)(const FaultInfo& fault);
void SetFaultSender(FaultSender sender);

// "<path as UTF-8> <free bytes of its drive>" (free bytes -1 when unknown),
// at most 1022 bytes; "" when the path has no drive (see DriveOfPath).
std::string GetDiskInfoText(const std::wstring& path);

// Test seam: empties the pending list.
void ClearPendingFaultsForTesting();

// Test seam: GetDiskInfoText asks `query` for the free bytes of the drive
// instead of GetFreeBytes; nullptr restores GetFreeBytes.
using FreeBytesQuery = int64_t (*)(const std::wstring& drive);
void SetFreeBytesQueryForTesting(FreeBytesQuery query);

}  // namespace Utils
