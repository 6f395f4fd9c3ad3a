#include "views/win32/main_dialog.h"

#include <shellapi.h>

#include <vector>

#include "resources/resource.h"
#include "services/installer_result.h"
#include "services/notify.h"
#include "services/pipeline_config.h"
#include "utils/system/dpi.h"
#include "views/exit_services.h"
#include "views/headless_frontend.h"
#include "views/process_end.h"
#include "views/startup.h"
#include "views/window_fonts.h"

namespace {

constexpr COLORREF kBackground = RGB(0xFB, 0xFB, 0xFB);
constexpr wchar_t kTitle[] = L"Tavo浏览器安装程序";
constexpr wchar_t kMessageBoxCaption[] = L"TavoInstaller";
// Posted by the initialisation to the dialog itself: the start-up work that
// the window does not need before it is shown. Posted messages come before
// the first paint, so the pictures are in place when the buttons first draw.
constexpr UINT kMsgAfterShown = WM_APP + 1;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

HFONT MakeFont(int height) {
    LOGFONTW font{};
    font.lfHeight = height;  // positive: the cell height in pixels
    font.lfWeight = kWindowFontWeight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, kWindowFontFace, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

INT_PTR CALLBACK AboutProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// Messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ResultIsReturned(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

CWin32MainWindow::CWin32MainWindow(HwndWindowLink& link)
    : m_link(link),
      m_logic(*this, link.Shared(), DefaultExitServices(), BuildHelpUrl),
      m_hIcon(LoadIconW(Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CWin32MainWindow::~CWin32MainWindow() {
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(m_buttonFont), static_cast<HGDIOBJ>(m_errorFont),
          static_cast<HGDIOBJ>(m_statusFont), static_cast<HGDIOBJ>(m_background)}) {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
}

int CWin32MainWindow::RunModal() {
    const HWND hwnd = CreateDialogParamW(Instance(), MAKEINTRESOURCEW(IDD_VORLININSTALLER_DIALOG),
                                         nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) {
        return -1;
    }
    // Shown once its initialisation has returned, as a modal dialog is.
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(msg)) {
            continue;
        }
        if (!IsDialogMessageW(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

INT_PTR CALLBACK CWin32MainWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    CWin32MainWindow* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CWin32MainWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CWin32MainWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    LRESULT result = 0;
    if (self == nullptr || !self->OnMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    if (ResultIsReturned(message)) {
        return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool CWin32MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message >= kMsgWorkerDone && message <= kMsgStopRequest) {
        // Another process may post to this handle: only 1129 is taken from
        // outside, and a forged worker message's lParam is never touched.
        if (!IsForgedWorkerMessage(message, static_cast<uintptr_t>(wParam))) {
            m_logic.HandleMessage(message, static_cast<intptr_t>(lParam));
        }
        return true;
    }
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            result = TRUE;
            return true;
        case kMsgAfterShown:
            OnAfterShown();
            return true;
        case WM_COMMAND:
            OnCommand(wParam);
            return true;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) {
                return false;
            }
            DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_ABOUTBOX), m_hWnd, AboutProc, 0);
            return true;
        case WM_LBUTTONDOWN:
            // Dragging the background moves the window as its caption would.
            PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
            return false;
        case WM_PAINT:
            return OnPaintIconic();
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(m_hIcon);
            return true;
        case WM_TIMER:
            m_logic.OnTimer(static_cast<uintptr_t>(wParam));
            return true;
        case WM_DRAWITEM:
            for (MyButton* button : {&m_btnMini, &m_btnExit, &m_btnErrorPicture}) {
                if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem == button->Window()) {
                    button->DrawItem();
                }
            }
            result = TRUE;
            return true;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
            result = reinterpret_cast<LRESULT>(m_background);
            return m_background != nullptr;
        default:
            return false;
    }
}

void CWin32MainWindow::OnInitDialog() {
    m_progress.SubclassDlgItem(IDC_PROGRESS, m_hWnd);
    m_btnMini.SubclassDlgItem(IDC_BUTTON_MINI, m_hWnd);
    m_btnExit.SubclassDlgItem(IDC_BUTTON_EXIT, m_hWnd);
    m_btnErrorPicture.SubclassDlgItem(IDC_BUTTON_ERROR_PICTURE, m_hWnd);
    m_link.SetWindow(m_hWnd);

    SetWindowTextW(m_hWnd, kTitle);
    if (const HMENU menu = GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[128] = {};
        if (LoadStringW(Instance(), IDS_ABOUTBOX, about, 128) > 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    EnsureSingleInstance(
        [](const std::wstring& text) {
            MessageBoxW(nullptr, text.c_str(), kMessageBoxCaption, MB_OK);
        },
        EndProcessNow);
    ParseCommandLine();
    SetUpControls();
    // Hides the error view, starts the runner, shows the first status and
    // starts the worker, last: once the window is shown (OnAfterShown).
    m_logic.OnInitDialog([this] {
        if (!PostMessageW(m_hWnd, kMsgAfterShown, 0, 0)) {
            OnAfterShown();  // a full queue: no reason to go without a worker
        }
    });
}

void CWin32MainWindow::SetUpControls() {
    m_background = CreateSolidBrush(kBackground);
    InvalidateRect(m_hWnd, nullptr, TRUE);

    const WindowFontHeights heights = FontHeightsForScale(Utils::GetDpiScale());
    m_buttonFont = MakeFont(heights.button);
    m_errorFont = MakeFont(heights.error);
    m_statusFont = MakeFont(heights.status);
    const struct {
        int id;
        HFONT font;
    } fonts[] = {{IDC_BUTTON_HELP, m_buttonFont},
                 {IDC_BUTTON_CLOSE, m_buttonFont},
                 {IDC_STATIC_ERROR, m_errorFont},
                 {IDC_STATIC_STATUS, m_statusFont}};
    for (const auto& f : fonts) {
        SendDlgItemMessageW(m_hWnd, f.id, WM_SETFONT, reinterpret_cast<WPARAM>(f.font), TRUE);
    }

    SetUpInstallerBar(m_progress);
    if (const HWND bar = m_progress.Window()) {
        SetWindowLongW(bar, GWL_EXSTYLE, GetWindowLongW(bar, GWL_EXSTYLE) & ~WS_EX_STATICEDGE);
        SetWindowPos(bar, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_progress.Redraw();
}

void CWin32MainWindow::OnAfterShown() {
    if (m_afterShownDone) {
        return;  // the message again, posted by another process
    }
    m_afterShownDone = true;
    StartWorkerThread();
    // Decoding the pictures is most of the initialisation's time; a picture
    // that cannot be loaded leaves its button a plain area.
    const struct {
        int id;
        MyButton& button;
    } pictures[] = {
        {IDP_MINIMIZE, m_btnMini}, {IDP_CLOSE, m_btnExit}, {IDP_ERROR_PICTURE, m_btnErrorPicture}};
    for (const auto& p : pictures) {
        LoadPngResource(p.id, p.button.m_pImage);
        if (p.button.Window() != nullptr) {
            InvalidateRect(p.button.Window(), nullptr, FALSE);
        }
    }
}

void CWin32MainWindow::OnCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    switch (LOWORD(wParam)) {
        case IDC_BUTTON_EXIT:
            m_logic.OnBnClickedButtonExit();
            break;
        case IDC_BUTTON_MINI:
            m_logic.OnBnClickedButtonMini();
            break;
        case IDC_BUTTON_CLOSE:
            m_logic.OnBnClickedButtonClose();
            break;
        case IDC_BUTTON_HELP:
            m_logic.OnBnClickedButtonHelp();
            break;
        case IDCANCEL:
            // Sent rather than posted, so the filter did not see it: the
            // same routing as the filter's.
            m_logic.PreTranslateMessage(FilterEvent::kCommand, wParam);
            break;
        default:
            break;  // IDOK and the rest never end the dialog
    }
}

bool CWin32MainWindow::OnPaintIconic() {
    if (!IsIconic(m_hWnd)) {
        return false;  // the dialog's own painting
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

bool CWin32MainWindow::PreTranslateMessage(const MSG& msg) {
    if (m_hWnd == nullptr || (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd))) {
        return false;
    }
    FilterEvent event = FilterEvent::kOther;
    switch (msg.message) {
        case WM_KEYDOWN:
            event = FilterEvent::kKeyDown;
            break;
        case WM_SYSCOMMAND:
            event = FilterEvent::kSysCommand;
            break;
        case WM_COMMAND:
            event = FilterEvent::kCommand;
            break;
        default:
            return false;
    }
    return m_logic.PreTranslateMessage(event, static_cast<uintptr_t>(msg.wParam));
}

void CWin32MainWindow::ShowControl(int id, bool show) {
    ShowWindow(GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

void CWin32MainWindow::SetControlText(int id, const std::wstring& text) {
    SetDlgItemTextW(m_hWnd, id, text.c_str());
}

std::wstring CWin32MainWindow::GetControlText(int id) const {
    const HWND control = GetDlgItem(m_hWnd, id);
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    return std::wstring(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWin32MainWindow::HideWindow() {
    ShowWindow(m_hWnd, SW_HIDE);
}

void CWin32MainWindow::MinimizeWindow() {
    ShowWindow(m_hWnd, SW_MINIMIZE);
}

uintptr_t CWin32MainWindow::StartTimer(uintptr_t id, uint32_t ms) {
    // With a window, SetTimer promises only a non-zero result; WM_TIMER
    // carries the id given here.
    return SetTimer(m_hWnd, id, ms, nullptr) != 0 ? id : 0;
}

void CWin32MainWindow::KillTimer(uintptr_t id) {
    ::KillTimer(m_hWnd, id);
}

void CWin32MainWindow::StartAnimation() {
    m_progress.StartRunner();
}

void CWin32MainWindow::StopAnimation() {
    m_progress.StopRunner();
}

void CWin32MainWindow::SetProgressPos(int percent) {
    m_progress.SetPos(percent);
    m_progress.Redraw();
}

void CWin32MainWindow::OpenUrl(const std::wstring& url) {
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWin32MainWindow::EndProcess(int code) {
    EndProcessNow(code);
}
