#include "utils/system/faults.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"

namespace Utils {

namespace {

std::mutex& FaultMutex() {
    static std::mutex m;
    return m;
}

// Only ever appended to; guarded by FaultMutex().
std::vector<FaultInfo>& g_listPendingFaults() {
    static std::vector<FaultInfo> list;
    return list;
}

std::atomic<FaultSender> g_faultSender{nullptr};
std::atomic<FreeBytesQuery> g_freeBytesQuery{nullptr};

}  // namespace

void ReportFault(const std::string& errorId, int bugCode, const std::string& content,
                 bool sendNow) {
    FaultInfo fault{errorId, content, bugCode};
    if (!sendNow) {
        std::lock_guard<std::mutex> lock(FaultMutex());
        g_listPendingFaults().push_back(std::move(fault));
        return;
    }
    const FaultSender sender = g_faultSender.load();
    if (sender == nullptr) {
        LOG_ERROR("fault not sent, no sender: ", errorId);
        return;
    }
    sender(fault);
}

void FlushFaultReports() {
    LOG_ENTRY();
    for (const FaultInfo& fault : PendingFaults()) {
        ReportFault(fault.strErrorId, fault.nBugCode, fault.strContent, true);
    }
}

std::vector<FaultInfo> PendingFaults() {
    std::lock_guard<std::mutex> lock(FaultMutex());
    return g_listPendingFaults();
}

void SetFaultSender(FaultSender sender) {
    g_faultSender.store(sender);
}

std::string GetDiskInfoText(const std::wstring& path) {
    const std::wstring drive = DriveOfPath(path);
    if (drive.empty()) {
        return {};
    }
    const FreeBytesQuery query = g_freeBytesQuery.load();
    const long long freeBytes = query != nullptr ? query(drive) : GetFreeBytes(drive);
    char buffer[1024] = {};
    std::snprintf(buffer, 1023, "%s %lld", WideToUtf8(path).c_str(), freeBytes);
    return buffer;
}

void SetFreeBytesQueryForTesting(FreeBytesQuery query) {
    g_freeBytesQuery.store(query);
}

void ClearPendingFaultsForTesting() {
    std::lock_guard<std::mutex> lock(FaultMutex());
    g_listPendingFaults().clear();
}

}  // namespace Utils
