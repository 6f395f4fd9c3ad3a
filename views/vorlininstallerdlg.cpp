#include "views/vorlininstallerdlg.h"

#include <string>
#include <utility>

#include "services/notify.h"
#include "services/pipeline_config.h"
#include "utils/log/log.h"

namespace {

std::string N(int64_t value) {
    return std::to_string(value);
}

constexpr int32_t kStatusForcedEnd = 1001;
constexpr uint8_t kReportEndOfRun = 0;
constexpr int kReportPasses = 3;
constexpr uint32_t kReportPauseStepMs = 500;

}  // namespace

CVorlinInstallerDlg::CVorlinInstallerDlg(MainView& view, SharedState& shared, ExitServices services,
                                         std::function<std::wstring()> buildHelpUrl)
    : m_view(view),
      m_shared(shared),
      m_services(std::move(services)),
      m_buildHelpUrl(std::move(buildHelpUrl)) {}

void CVorlinInstallerDlg::OnInitDialog(const std::function<void()>& startWorker) {
    m_shared.m_iStatusCode = 0;
    m_shared.m_bNeedExit = false;
    m_shared.m_bHasExited = false;
    m_shared.m_bUserExit = false;
    m_shared.m_bHigherVersionOpened = false;
    m_view.ShowControl(kCtrlErrorText, false);
    m_view.ShowControl(kCtrlErrorPicture, false);
    m_view.ShowControl(kCtrlHelp, false);
    m_view.ShowControl(kCtrlClose, false);
    m_view.StartAnimation();
    SetStatusLine(L"下载准备中…");
    startWorker();
}

bool CVorlinInstallerDlg::HandleMessage(uint32_t message, intptr_t payload) {
    switch (message) {
        case kMsgWorkerDone:
            FreePayload(message, payload);
            OnExitMessage();
            return true;
        case kMsgStatusText:
            OnStatusMessage(payload);
            return true;
        case kMsgErrorText:
            OnErrorMessage(payload);
            return true;
        case kMsgProgress:
            OnProgressMessage(payload);
            return true;
        case kMsgBusy:
            OnBusyMessage(payload);
            return true;
        case kMsgStopRequest:
            FreePayload(message, payload);
            OnStopRequest();
            return true;
        default:
            return false;
    }
}

void CVorlinInstallerDlg::OnExitMessage() {
    if (m_bEnding) {
        // Dispatched while the exit sequence reports (a platform call that
        // pumps messages): the running sequence finishes the job.
        return;
    }
    LOG_ENTRY();
    m_shared.m_bHasExited = true;
    const bool needExit = m_shared.m_bNeedExit;
    const bool userExit = m_shared.m_bUserExit;
    const int32_t statusCode = m_shared.m_iStatusCode;
    LOG_INFO("m_bHasExited:", N(m_shared.m_bHasExited), ",m_bNeedExit:", N(needExit),
             ",m_iStatusCode:", N(statusCode));
    // An installed higher version that was opened ends the run like a
    // success: nothing on screen waits for the user, and the report still
    // carries the status code.
    const bool done = statusCode == 0 || m_shared.m_bHigherVersionOpened;
    if (!needExit && !userExit && !done) {
        return;  // the error state stays until the user closes it
    }
    m_bEnding = true;
    m_view.HideWindow();
    KillForcedEndTimer();
    // One reading for the log and the report: the worker may still be
    // running (forced end) and write the status code meanwhile.
    const int32_t reported = m_shared.m_iStatusCode;
    LOG_INFO("status code:", N(reported));
    SendFinalReport(reported);
    m_services.flushFaultReports();
    m_view.EndProcess(0);
}

void CVorlinInstallerDlg::SendFinalReport(int32_t statusCode) {
    DeviceInfo device;
    std::wstring uuid = m_shared.Uuid();
    if (uuid.empty()) {
        if (m_services.createUuid(uuid) != 0) {
            return;
        }
        m_shared.SetUuid(uuid);
    }
    m_services.getDeviceInfo(device);
    const std::wstring appVersion = m_shared.AppVersion();
    for (int pass = 1; pass <= kReportPasses; ++pass) {
        for (const std::string& url : reportUrls) {
            if (m_services.uploadCountInfo(url, device, uuid, kReportEndOfRun, statusCode,
                                           appVersion) == 0) {
                return;
            }
        }
        m_services.sleep(kReportPauseStepMs * static_cast<uint32_t>(pass));
    }
}

void CVorlinInstallerDlg::SetStatusLine(const std::wstring& text) {
    if (m_view.GetControlText(kCtrlStatus) != text) {
        m_view.SetControlText(kCtrlStatus, text);
    }
}

void CVorlinInstallerDlg::OnStatusMessage(intptr_t payload) {
    if (const auto text = TakeText(payload)) {
        SetStatusLine(*text);
    }
}

void CVorlinInstallerDlg::OnErrorMessage(intptr_t payload) {
    const auto text = TakeText(payload);
    if (!text) {
        return;
    }
    m_view.ShowControl(kCtrlStatus, false);
    m_view.ShowControl(kCtrlProgress, false);
    m_view.ShowControl(kCtrlErrorPicture, true);
    m_view.ShowControl(kCtrlErrorText, true);
    m_view.ShowControl(kCtrlHelp, true);
    m_view.ShowControl(kCtrlClose, true);
    m_view.SetControlText(kCtrlErrorText, *text);
}

void CVorlinInstallerDlg::OnProgressMessage(intptr_t payload) {
    const auto info = TakeProgress(payload);
    if (!info) {
        return;
    }
    const std::wstring text = ProgressText(*info);
    if (text.empty()) {
        return;  // a kind outside 1 to 9
    }
    SetStatusLine(text);
    if (info->percent != 0) {
        m_view.StopAnimation();
        m_view.SetProgressPos(info->percent);
    }
}

void CVorlinInstallerDlg::OnBusyMessage(intptr_t payload) {
    const auto busy = TakeBusy(payload);
    if (!busy) {
        return;
    }
    if (*busy) {
        m_view.StartAnimation();
    } else {
        m_view.StopAnimation();
    }
}

void CVorlinInstallerDlg::OnStopRequest() {
    m_view.HideWindow();
    m_shared.m_bNeedExit = true;
}

void CVorlinInstallerDlg::OnBnClickedButtonExit() {
    LOG_ENTRY();
    m_shared.m_bUserExit = true;
    m_view.HideWindow();
    if (m_shared.m_bHasExited) {
        OnExitMessage();
        return;
    }
    if (m_forcedEndTimer == 0) {
        m_forcedEndTimer = m_view.StartTimer(kForcedEndTimerId, kForcedEndDelayMs);
    }
}

void CVorlinInstallerDlg::OnBnClickedButtonClose() {
    LOG_ENTRY();
    CloseWindow();
}

void CVorlinInstallerDlg::CloseWindow() {
    LOG_ENTRY();
    m_view.HideWindow();
    m_shared.m_bNeedExit = true;
    LOG_INFO("m_bNeedExit:", N(m_shared.m_bNeedExit));
    if (m_shared.m_bHasExited) {
        OnExitMessage();
    }
}

void CVorlinInstallerDlg::OnBnClickedButtonMini() {
    LOG_ENTRY();
    m_view.MinimizeWindow();
}

void CVorlinInstallerDlg::OnBnClickedButtonHelp() {
    LOG_ENTRY();
    m_view.OpenUrl(m_buildHelpUrl ? m_buildHelpUrl() : std::wstring());
}

void CVorlinInstallerDlg::OnTimer(uintptr_t id) {
    if (m_bEnding || m_forcedEndTimer == 0 || id != m_forcedEndTimer) {
        return;
    }
    KillForcedEndTimer();
    LOG_ENTRY();
    if (m_view.GetControlText(kCtrlErrorText).empty()) {
        // No error on screen: the run is cut off, whatever the worker set.
        m_shared.m_iStatusCode = kStatusForcedEnd;
    }
    OnExitMessage();
}

void CVorlinInstallerDlg::KillForcedEndTimer() {
    if (m_forcedEndTimer != 0) {
        m_view.KillTimer(m_forcedEndTimer);
        m_forcedEndTimer = 0;
    }
}

bool CVorlinInstallerDlg::PreTranslateMessage(FilterEvent event, uintptr_t wParam) {
    switch (event) {
        case FilterEvent::kKeyDown:
            // Neither key may end the dialog through the dialog machinery.
            return wParam == kKeyEscape || wParam == kKeyEnter;
        case FilterEvent::kSysCommand:
            // The low four bits of a system command are the system's own.
            if ((wParam & 0xFFF0) != kSysCommandClose) {
                return false;
            }
            LOG_INFO("user trigger SC_CLOSE event");
            OnBnClickedButtonExit();
            return true;
        case FilterEvent::kCommand:
            if (wParam != kCommandCancel) {
                return false;
            }
            LOG_INFO("user trigger WM_DESTROY event");
            OnBnClickedButtonExit();
            return true;
        case FilterEvent::kOther:
            return false;
    }
    return false;
}

bool CVorlinInstallerDlg::WaitsForUser() const {
    return m_shared.m_bHasExited && !m_bEnding;
}
