#include "services/download.h"

#include <atomic>
#include <filesystem>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "services/pipeline_clock.h"
#include "services/pipeline_config.h"
#include "utils/http/http.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/faults.h"
#include "utils/system/identity.h"
#include "utils/system/private_dir.h"

namespace {

constexpr int kDownloadBase = 0x2000;
constexpr int kFaultCode = 900;
constexpr uint32_t kProgressIntervalMs = 300;
constexpr int64_t kGiB = int64_t{1} << 30;

// Tick counts of the current download (worker only).
uint32_t downloadStartTick = 0;
uint32_t lastProgressTick = 0;

std::atomic<uint32_t (*)()> g_testTick{nullptr};
std::atomic<const InstallRootSources*> g_testRootSources{nullptr};

uint32_t Tick() {
    const auto test = g_testTick.load();
    return test != nullptr ? test() : SystemClock().tick();
}

bool FreeSpace(const std::wstring& dir, int64_t* freeBytes) {
    return Utils::GetFreeSpace(dir, freeBytes);
}

InstallRootSources RootSources() {
    const InstallRootSources* test = g_testRootSources.load();
    return test != nullptr ? *test
                           : InstallRootSources{Utils::GetLocalAppDataPath, FreeSpace,
                                                Utils::ListDrives, Utils::IsUsbDrive};
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) {
        path.pop_back();
    }
    return path;
}

void DirectoryFault(const std::wstring& dir) {
    const std::wstring error = Utils::SystemErrorToStringW(Utils::LastSystemError());
    LOGW_ERROR(dir, L" failed create.", L"\n", error);
    Utils::ReportFault("services-8", kFaultCode, Utils::WideToUtf8(dir), false);
}

// The directory of one download, made fresh for it and private to the
// user; "" after the failure is handled. In the temporary folder it is a
// new folder of its own; on an install root (and when the temporary folder
// offers none, in the current folder) it is a new folder inside the shared
// "tempdir" ("tempdir.001a"), which is made private too when this program
// makes it, and used only when nobody else can tamper with what it holds.
std::wstring DownloadDirectory(const std::wstring& installRoot) {
    const std::wstring sep = Utils::PathSeparator();
    std::wstring dir;
    std::wstring parent;
    if (!installRoot.empty()) {
        parent = installRoot + L"tempdir" + sep;
    } else if (Utils::CreateUniqueTempDirectory(dir)) {
        return dir;
    } else {
        std::error_code ignored;
        parent = Utils::Utf8ToWide(std::filesystem::current_path(ignored).u8string()) + sep +
                 L"tempdir.001a" + sep;
    }
    const std::wstring shared = WithoutTrailingSeparator(parent);
    if (!Utils::PathExists(shared)) {
        Utils::CreatePrivateDirectory(shared);
    }
    if (!Utils::SafeParentDirectory(shared)) {
        LOGW_ERROR(shared, L" is not a folder that only this user and the system can change");
        DirectoryFault(parent);
        return {};
    }
    if (!Utils::CreateUniquePrivateDirectory(parent, dir)) {
        DirectoryFault(parent);
        return {};
    }
    return dir;
}

bool PlainHttp(const std::string& url) {
    Utils::HttpUrlInfo info;
    return Utils::HttpParseUrl(url, info) == 0 && !info.bHttps;
}

}  // namespace

namespace Services {

int DownloadFile(const std::string& url, const std::wstring& installRoot, std::wstring& path) {
    return DownloadFile(url, installRoot, path, {});
}

int DownloadFile(const std::string& url, const std::wstring& installRoot, std::wstring& path,
                 const Utils::HttpExpectedBody& expected) {
    LOG_ENTRY();
    if (releaseMode && expected.sha256.empty() && PlainHttp(url)) {
        // Anyone on the path could hand over another file, and nothing
        // could tell.
        LOG_ERROR("refusing to download ", url,
                  ": plain http without a SHA-256 in the service's answer to check it by");
        Utils::ReportFault("services-10", kFaultCode, url, false);
        return kDownloadBase + Utils::HTTP_ERROR_UNVERIFIED_HTTP;
    }
    const std::wstring dir = DownloadDirectory(installRoot);
    if (dir.empty()) {
        return kDownloadBase;
    }
    StartProgressClock();
    std::wstring fileName;
    std::string error;
    const int code = Utils::HttpDownload(url, "", DoProgress, dir, fileName, error, expected);
    if (code != 0) {
        const std::string last = Utils::SystemErrorToStringA(Utils::LastSystemError());
        LOG_ERROR("HttpDownload failed ret:" + std::to_string(code) + ",strErrMsg:" + error, "\n",
                  last);
        // The failed attempt left no file; its empty folder goes too.
        std::error_code ignored;
        std::filesystem::remove(Utils::NativePath(WithoutTrailingSeparator(dir)), ignored);
        return kDownloadBase + code;
    }
    path = dir + fileName;
    return 0;
}

void StartProgressClock() {
    downloadStartTick = Tick();
    lastProgressTick = downloadStartTick;
}

bool DoProgress(uint64_t current, uint64_t total) {
    const MainWindowLink* window = GetMainWindow();
    if (window != nullptr && window->Shared().m_bNeedExit) {
        LOG_ERROR("exit thread", "\n", Utils::SystemErrorToStringA(Utils::LastSystemError()));
        return false;
    }
    if (!progressEnabled) {
        return true;
    }
    const uint32_t now = Tick();
    if (now - lastProgressTick < kProgressIntervalMs) {
        return true;
    }
    lastProgressTick = now;
    // Nothing to estimate from before the first byte, without a total, or
    // once everything has arrived.
    if (current == 0 || total == 0 || current >= total) {
        return true;
    }
    const uint32_t elapsed = now - downloadStartTick;
    const double costPerByte = static_cast<double>(elapsed) / static_cast<double>(current);
    const double left = static_cast<double>(total - current) * costPerByte / 1000.0;
    const uint32_t secondsLeft = left >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(left);
    const auto percent =
        static_cast<int32_t>(static_cast<double>(current) * 100.0 / static_cast<double>(total));
    if (secondsLeft == 0) {
        return true;
    }
    if (secondsLeft < 60) {
        NotifyProgress(5, static_cast<int32_t>(secondsLeft), percent);
    } else if (secondsLeft < 3600) {
        NotifyProgress(4, static_cast<int32_t>(secondsLeft / 60), percent);
    } else {
        NotifyProgress(3, static_cast<int32_t>(secondsLeft / 3600), percent);
    }
    return true;
}

}  // namespace Services

std::wstring ChooseInstallRoot() {
    const InstallRootSources sources = RootSources();
    std::wstring appData;
    int64_t freeBytes = 0;
    if (!sources.getLocalAppDataPath(appData) || !sources.getFreeSpace(appData, &freeBytes)) {
        return {};
    }
    // The threshold is a 32-bit count of GiB: the product fits. A negative
    // one never asks for another drive.
    if (freeBytes >= diskThresholdGb * kGiB) {
        return {};
    }
    for (const Utils::DriveRoot& drive : sources.listDrives()) {
        if (diskThresholdGb != 1 && drive.letter == L'C') {
            continue;
        }
        if (!drive.fixed || sources.isUsbDrive(drive.letter)) {
            continue;
        }
        int64_t driveFree = -1;
        if (!sources.getFreeSpace(drive.root, &driveFree)) {
            driveFree = -1;
        }
        if (driveFree >= kGiB) {
            LOGW_INFO(L"use zel_install_path:", drive.root);
            return drive.root;
        }
    }
    return {};
}

void SetInstallRootSourcesForTesting(const InstallRootSources* sources) {
    g_testRootSources.store(sources);
}

void SetDownloadTickForTesting(uint32_t (*tick)()) {
    g_testTick.store(tick);
}
