#include "services/launch.h"

#include <string>

#include "services/device_fingerprint.h"
#include "services/installer_result.h"
#include "services/installer_trust.h"
#include "services/main_window_link.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "services/status_codes.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/held_file.h"
#include "utils/system/process.h"
#include "utils/system/registry.h"

namespace {

constexpr int kHigherVersion = 4;
constexpr int kNotStarted = -1;
// The pause after a run that gave -1 starts here and grows by as much after
// every run; the loop ends when it reaches kLastPause: three runs at most.
constexpr uint32_t kPauseStep = 1000;
constexpr uint32_t kLastPause = 4000;

std::string N(int64_t value) {
    return std::to_string(value);
}

std::string LastError() {
    return Utils::SystemErrorToStringA(Utils::LastSystemError());
}

std::wstring LastErrorW() {
    return Utils::SystemErrorToStringW(Utils::LastSystemError());
}

SharedState& Shared() {
    static SharedState noWindow;  // a run without a window keeps its results here
    MainWindowLink* window = GetMainWindow();
    return window != nullptr ? window->Shared() : noWindow;
}

bool NeedsQuotes(const std::wstring& value) {
    return value.find_first_of(L" \t\"") != std::wstring::npos;
}

void AppendIfSet(std::wstring& line, const wchar_t* name, const std::wstring& value) {
    if (!value.empty()) {
        line += name + QuoteCommandLineValue(value);
    }
}

// The installed browser's program, or "" when no browser folder is known.
std::wstring InstalledBrowser() {
    const std::wstring dir = GetInstallDir();
    return dir.empty() ? std::wstring() : dir + Utils::PathSeparator() + L"Tavo.exe";
}

bool InstalledBrowserExists(const std::wstring& exe) {
    return !exe.empty() && Utils::CheckFileW(exe) == 0;
}

// The registry claims an installation whose browser is gone: "pv" becomes
// "0.0.0.0" so that the next run of the full installer does not stop at the
// stale version. True when that worked and the installer may run again.
bool ResetStaleVersion() {
    Utils::RegistryKey key;
    if (key.OpenForSet(L"Software\\Tavo") != Utils::kRegOk) {
        return false;
    }
    const long set = key.SetString(L"pv", L"0.0.0.0");
    key.Close();
    LOG_INFO("detect higher version, but exe path not exist. delete higher version's reg ret:",
             N(set));
    return set == Utils::kRegOk;
}

std::wstring ProductVersionOf(const std::wstring& file) {
    std::wstring version;
    Utils::GetProductVersion(file, version);
    return version;
}

}  // namespace

std::wstring QuoteCommandLineValue(const std::wstring& value) {
    if (!NeedsQuotes(value)) {
        return value;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : value) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            // 2n+1 backslashes and a quote give n backslashes and the quote.
            quoted.append(2 * backslashes + 1, L'\\');
        } else {
            // Backslashes before anything but a quote stand for themselves.
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote 2n backslashes give n.
    quoted.append(2 * backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring BuildInstallerCommandLine(const LaunchRequest& request, bool release,
                                       intptr_t stopTarget) {
    std::wstring line = L"--from-tavo-setup";
    line += L" --verbose-logging ";
    line += L" --uuid=" + QuoteCommandLineValue(request.uuid);
    AppendIfSet(line, L" --config-path=", request.configPath);
    if (!release) {
        line += L" --test";
    }
    AppendIfSet(line, L" --bookmark-url=", request.bookmarkUrl);
    AppendIfSet(line, L" --favicon-url=", request.faviconUrl);
    AppendIfSet(line, L" --import-rule-url=", request.importRuleUrl);
    AppendIfSet(line, L" --topsites-url=", request.topSitesUrl);
    if (stopTarget != 0) {
        line += L" --yindaohwnd=" + std::to_wstring(static_cast<int64_t>(stopTarget));
    }
    AppendIfSet(line, L" --zel_install_path=", request.zelInstallPath);
    return line;
}

namespace Services {

void ExcuteVersion(const LaunchRequest& request, const PipelineClock& clock) {
    LOG_ENTRY();
    SharedState& shared = Shared();
    const std::wstring commandLine =
        BuildInstallerCommandLine(request, releaseMode, StopRequestTarget());
    if (!Utils::MakeOwnerExecutable(request.installerPath)) {
        // The run below fails and says why.
        LOGW_ERROR(L"cannot make the installer executable:", request.installerPath, L"\n",
                   LastErrorW());
    }

    const uint32_t begin = clock.tick();
    LOG_INFO("Timestamp ExcuteVersion begin ", N(begin));
    uint32_t pause = kPauseStep;
    int result = kNotStarted;
    bool untrusted = false;
    for (int attempt = 1;; ++attempt) {
        const uint32_t attemptBegin = clock.tick();
        LOG_INFO("ExcuteVersion for begin ", N(attemptBegin), " at ", N(attempt), " times.");
        // Held from its check until it has started, so that nothing can
        // put another file in its place in between.
        Utils::HeldFile held;
        if (!held.Open(request.installerPath)) {
            LOGW_ERROR(L"cannot hold the installer for its launch:", request.installerPath, L"\n",
                       LastErrorW());
            result = kNotStarted;
        } else if (!Services::InstallerMayRun(held, request.installerPath)) {
            untrusted = true;
        } else {
            result = Utils::ExecutExeAtNewProcess(request.installerPath, commandLine, held);
        }
        const uint32_t attemptEnd = clock.tick();
        LOG_INFO("ExcuteVersion for end ", N(attemptEnd),
                 " consume:", std::to_string(static_cast<uint64_t>(attemptEnd) - attemptBegin));
        if (untrusted) {
            break;
        } else if (result == kHigherVersion) {
            // Present: the installed browser is opened below. Missing: run
            // again at once without the stale version, if it can be reset.
            if (InstalledBrowserExists(InstalledBrowser()) || !ResetStaleVersion()) {
                break;
            }
        } else if (result == kNotStarted) {
            LOG_INFO("iRet == -1, try to ExecutExeAtNewProcess again. Sleep ", N(pause));
            clock.sleep(pause);
        } else {
            break;
        }
        pause += kPauseStep;
        if (pause >= kLastPause) {
            break;
        }
    }
    const uint32_t end = clock.tick();
    LOG_INFO("Timestamp ExcuteVersion end ", N(end),
             " consume:", std::to_string(static_cast<uint64_t>(end) - begin));

    if (untrusted) {
        // A file nobody may trust is not run and not kept.
        RemoveDownloadedInstaller(request.installerPath);
        NotifyStatus(L"安装程序签名校验失败", kStatusInstallerUntrusted);
        shared.m_iStatusCode = kStatusInstallerUntrusted;
        LOG_ERROR("goto CLEAN_UP iRet:", N(kStatusInstallerUntrusted), "\n", LastError());
        return;
    }
    if (result == 0) {
        excuteVersionTime = static_cast<int32_t>(end - begin);
        NotifyProgress(9, 0, 0);
        shared.m_iStatusCode = 0;
        shared.SetAppVersion(ProductVersionOf(request.installerPath));
        return;
    }
    LOGW_ERROR(
        L"Failed to run exe:" + request.installerPath + L",error code:" + std::to_wstring(result),
        L"\n", LastErrorW());
    std::wstring text = GetInstallerResultUIString();
    if (text.empty()) {
        text = L"安装程序遇到错误";
    }
    if (result == kHigherVersion) {
        text.clear();
        const std::wstring exe = InstalledBrowser();
        if (InstalledBrowserExists(exe)) {
            Utils::StartPrcess(exe);
            shared.SetAppVersion(ProductVersionOf(exe));
            LOG_INFO("succeed to open higher version exe.");
            excuteVersionTime = static_cast<int32_t>(end - begin);
            // Nothing failed: the window closes itself as after a success,
            // while the status code still reports 4.
            shared.m_bHigherVersionOpened = true;
        } else {
            LOGW_ERROR(L"detect higher version, but exe path not exist. " + exe, L"\n",
                       LastErrorW());
            text = L"请删除注册表项 计算机\\HKEY_CURRENT_USER\\Software\\Tavo 后再安装！";
        }
    }
    if (!text.empty()) {
        NotifyStatus(text, result);
    }
    shared.m_iStatusCode = result;
    LOG_ERROR("goto CLEAN_UP iRet:", N(result), "\n", LastError());
}

}  // namespace Services
