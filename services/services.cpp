#include "services/services.h"

#include <cwchar>
#include <string>

#include "services/main_window_link.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/status_codes.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"

// Every line of the driver names Services::DoWork as its function, whichever
// helper below writes it: the log reads as one run of the driver.
#define DRIVER_INFO(...)                                                                    \
    ::Utils::LogA(1, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, "Services::DoWork", \
                  __LINE__, "INFO:", __VA_ARGS__, "")
#define DRIVER_ERROR(...)                                                                   \
    ::Utils::LogA(2, ::Utils::kLogTag, ::Utils::g_wstrLogDir, __FILE__, "Services::DoWork", \
                  __LINE__, "ERROR:", __VA_ARGS__, "")

namespace Services {

namespace {

std::string N(int64_t value) {
    return std::to_string(value);
}

std::string LastError() {
    return Utils::SystemErrorToStringA(Utils::LastSystemError());
}

// "…[%d/%d]" retry texts of the status line.
std::wstring RetryText(const wchar_t* format, int attempt, int attempts) {
    wchar_t buffer[256] = {};
    std::swprintf(buffer, 256, format, attempt, attempts);
    return buffer;
}

// Pauses of the edition request and the downloads: 500 ms first, and after
// failure r the pause grows by 500 × r (500, 1000, 2000, 3500, ...).
class GrowingPause {
  public:
    uint32_t Next(int failure) {
        const uint32_t now = m_pause;
        m_pause += 500u * static_cast<uint32_t>(failure);
        return now;
    }

  private:
    uint32_t m_pause = 500;
};

// The worker's run: its locals, and the steps of the pipeline in order.
// Every step returns false when the run must go to CLEAN_UP.
class Driver {
  public:
    Driver(const PipelineStages& stages, const PipelineClock& clock, SharedState& shared)
        : m_stages(stages), m_clock(clock), m_shared(shared) {}

    void Run() {
        DRIVER_INFO("Services::DoWork");
        m_start = Tick();
        DRIVER_INFO("Timestamp doWork begin ", N(m_start));
        Utils::EnableDesktopErrorLog();
        if (ExitPolled() && DeviceStep() && ExitPolled() && UuidStep()) {
            NotifyProgress(1, 0, 0);
            if (ReportStep() && EditionStep()) {
                m_zelInstallPath = m_stages.chooseInstallRoot();
                NotifyProgress(2, 0, 0);
                if (DownloadVersionStep() && DownloadConfigStep()) {
                    LaunchStep();
                }
            }
        }
        CleanUp();
    }

  private:
    uint32_t Tick() const { return m_clock.tick(); }

    // "consume:" values: the difference of the two ticks as unsigned 64-bit
    // numbers, so a wrap of the counter between them prints close to 2^64.
    static std::string Consume(uint32_t begin, uint32_t end) {
        return std::to_string(static_cast<uint64_t>(end) - static_cast<uint64_t>(begin));
    }

    void EndLine(const char* text, uint32_t begin) {
        const uint32_t end = Tick();
        DRIVER_INFO(text, N(end), " consume:", Consume(begin, end));
    }

    uint32_t AttemptBegin(const char* text, int attempt) {
        const uint32_t begin = Tick();
        DRIVER_INFO(text, N(begin), " at ", N(attempt), " times.");
        return begin;
    }

    bool ExitPolled(const char* message = "exit thread") {
        if (!m_shared.m_bNeedExit) {
            return true;
        }
        DRIVER_ERROR(message, "\n", LastError());
        StoppedOnRequest();
        return false;
    }

    // A run that stops on request before the full installer ran has not
    // succeeded: unless a failure is already recorded, it says so, so that
    // the final report never counts it as an install.
    void StoppedOnRequest() {
        int32_t none = 0;
        m_shared.m_iStatusCode.compare_exchange_strong(none, kStatusStoppedOnRequest);
    }

    bool DeviceStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp GetDeviceInfo begin ", N(begin));
        m_stages.getDeviceInfo(m_device);
        EndLine("Timestamp GetDeviceInfo end ", begin);
        return true;
    }

    bool UuidStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp CreateUUID begin ", N(begin));
        const int code = m_stages.createUuid(m_uuid);
        if (code != 0) {
            DRIVER_ERROR("CreateUUID error:", N(code), "\n", LastError());
            NotifyStatus(L"", code);
            m_shared.m_iStatusCode = code;
            return false;
        }
        m_shared.SetUuid(m_uuid);
        EndLine("Timestamp CreateUUID end ", begin);
        return true;
    }

    // The start report: not fatal when every pass fails (the status code then
    // keeps the last failure); false only for an exit request.
    bool ReportStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp tickUploadCountInfo begin ", N(begin));
        for (int pass = 1; pass <= 3; ++pass) {
            for (const std::string& url : reportUrls) {
                if (!ExitPolled("UploadCountInfo cancel, IsNeedExit=true, exit thread")) {
                    return false;
                }
                const uint32_t attempt = AttemptBegin("UploadCountInfo for begin ", pass);
                const int code = m_stages.uploadCountInfo(url, m_device, m_uuid, 1, 0, L"");
                EndLine("UploadCountInfo for end ", attempt);
                if (code == 0) {
                    EndLine("Timestamp UploadCountInfo end ", begin);
                    return true;
                }
                m_shared.m_iStatusCode = code;
            }
            const uint32_t pause = 500u * static_cast<uint32_t>(pass);
            DRIVER_ERROR("UploadCountInfo failed, will retry. Sleep ", N(pause), "\n", LastError());
            m_clock.sleep(pause);
        }
        EndLine("Timestamp UploadCountInfo end ", begin);
        return true;
    }

    bool EditionStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp RequestDownloadUrl begin ", N(begin));
        GrowingPause pause;
        int last = 1013;
        bool done = false;
        for (int pass = 1; pass <= 10 && !done; ++pass) {
            for (const std::string& url : editionUrls) {
                if (!ExitPolled("RequestDownloadUrl cancel, IsNeedExit=true, exit thread")) {
                    return false;
                }
                const uint32_t attempt = AttemptBegin("RequestDownloadUrl for begin ", pass);
                last = m_stages.requestDownloadUrl(url, m_device, m_installUrl, m_configUrl,
                                                   m_bookmarkUrl, m_faviconUrl, m_importRuleUrl,
                                                   m_topSitesUrl, m_digests);
                EndLine("RequestDownloadUrl for end ", attempt);
                if (last == 0) {
                    done = true;
                    break;
                }
                m_shared.m_iStatusCode = last;
            }
            if (!done) {
                NotifyStatus(RetryText(L"糟糕！联网失败。正在重试…[%d/%d]", pass, 10), 0);
                const uint32_t ms = pause.Next(pass);
                DRIVER_ERROR("RequestDownloadUrl failed, will retry. Sleep ", N(ms), "\n",
                             LastError());
                m_clock.sleep(ms);
            }
        }
        EndLine("Timestamp RequestDownloadUrl end ", begin);
        if (!done) {
            NotifyStatus(L"连接服务器失败", last);
            m_shared.m_iStatusCode = last;
            return false;
        }
        return true;
    }

    bool DownloadVersionStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp DownloadVersion begin ", N(begin));
        progressEnabled = true;
        GrowingPause pause;
        bool done = false;
        for (int k = 1; k <= 10; ++k) {
            if (!ExitPolled("DownloadVersion cancel, IsNeedExit=true, exit thread")) {
                return false;
            }
            const uint32_t attempt = AttemptBegin("DownloadVersion for begin ", k);
            const int code = m_stages.downloadFile(m_installUrl, m_zelInstallPath, m_installerPath,
                                                   m_digests.installer);
            EndLine("DownloadVersion for end ", attempt);
            if (code == 0) {
                done = true;
                break;
            }
            if (code == kCanceled) {
                DRIVER_ERROR("http download canceled", "\n", LastError());
                StoppedOnRequest();
                return false;
            }
            m_shared.m_iStatusCode = 1014;
            NotifyStatus(RetryText(L"糟糕！下载失败。正在重试…[%d/%d]", k, 10), 0);
            const uint32_t ms = pause.Next(k);
            DRIVER_ERROR("DownloadFile failed, will retry. Sleep ", N(ms), "\n", LastError());
            m_clock.sleep(ms);
        }
        const uint32_t end = Tick();
        DRIVER_INFO("Timestamp DownloadVersion end ", N(end), " consume:", Consume(begin, end));
        if (!done) {
            NotifyStatus(L"安装程序下载失败", 1014);
            m_shared.m_iStatusCode = 1014;
            DRIVER_ERROR("http download failed.", "\n", LastError());
            return false;
        }
        downloadVersionTime = static_cast<int32_t>(end - begin);
        NotifyProgress(6, 0, 0);
        return true;
    }

    // The configuration file is optional: three failures go on without it.
    bool DownloadConfigStep() {
        const uint32_t begin = Tick();
        DRIVER_INFO("Timestamp DownloadConfig begin ", N(begin));
        progressEnabled = false;
        if (!m_configUrl.empty()) {
            GrowingPause pause;
            bool done = false;
            for (int k = 1; k <= 3 && !done; ++k) {
                if (!ExitPolled("DownloadConfig cancel, IsNeedExit=true, exit thread")) {
                    return false;
                }
                const uint32_t attempt = AttemptBegin("DownloadConfig for begin ", k);
                const int code = m_stages.downloadFile(m_configUrl, m_zelInstallPath, m_configPath,
                                                       m_digests.config);
                EndLine("DownloadConfig for end ", attempt);
                if (code == 0) {
                    done = true;
                } else if (code == kCanceled) {
                    DRIVER_ERROR("http download config canceled", "\n", LastError());
                    StoppedOnRequest();
                    return false;
                } else {
                    NotifyStatus(RetryText(L"糟糕！配置下载失败。正在重试…[%d/%d]", k, 3), 0);
                    const uint32_t ms = pause.Next(k);
                    DRIVER_ERROR("DownloadFile failed, will retry. Sleep ", N(ms), "\n",
                                 LastError());
                    m_clock.sleep(ms);
                }
            }
            if (!done) {
                DRIVER_ERROR("config 配置文件下载失败", "\n", LastError());
                m_configPath.clear();
            }
        }
        EndLine("Timestamp DownloadConfig end ", begin);
        return true;
    }

    void LaunchStep() {
        NotifyBusy();
        NotifyProgress(7, 0, 0);
        if (m_installerPath.empty()) {
            DRIVER_ERROR("The download file path is empty", "\n", LastError());
            NotifyStatus(L"安装程序无法启动", 1009);
            m_shared.m_iStatusCode = 1009;
            return;
        }
        if (!ExitPolled()) {
            return;
        }
        if (Utils::CheckFileW(m_installerPath) != 0) {
            DRIVER_ERROR("The installer exe was not exist!", "\n", LastError());
            NotifyStatus(L"安装程序不存在，请尝试重新下载安装", 1010);
            m_shared.m_iStatusCode = 1010;
            return;
        }
        NotifyProgress(8, 0, 0);
        m_stages.excuteVersion({m_installerPath, m_configPath, m_bookmarkUrl, m_faviconUrl,
                                m_importRuleUrl, m_topSitesUrl, m_uuid, m_zelInstallPath});
    }

    void CleanUp() {
        const uint32_t end = Tick();
        doWorkTotalTime = static_cast<int32_t>(end - m_start);
        DRIVER_INFO("Timestamp doWork end ", N(end), " consume:", Consume(m_start, end));
        if (!m_installerPath.empty()) {
            m_stages.removeDownloadedInstaller(m_installerPath);
        }
        NotifyWorkerDone();
    }

    static constexpr int kCanceled = 0x2007;

    const PipelineStages& m_stages;
    const PipelineClock& m_clock;
    SharedState& m_shared;
    uint32_t m_start = 0;
    DeviceInfo m_device;
    std::wstring m_uuid;
    std::string m_installUrl, m_configUrl;
    std::wstring m_bookmarkUrl, m_faviconUrl, m_importRuleUrl, m_topSitesUrl;
    DownloadDigests m_digests;
    std::wstring m_zelInstallPath;
    std::wstring m_installerPath, m_configPath;
};

}  // namespace

void RunPipeline(const PipelineStages& stages, const PipelineClock& clock) {
    static SharedState noWindow;  // nobody asks a run without a window to stop
    MainWindowLink* window = GetMainWindow();
    Driver(stages, clock, window != nullptr ? window->Shared() : noWindow).Run();
}

void DoWork() {
    RunPipeline(DefaultStages(), SystemClock());
}

}  // namespace Services
