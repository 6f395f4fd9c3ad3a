#include "views/win32/vorlininstallerapp.h"

#include <commctrl.h>

#include "views/win32/hwnd_link.h"
#include "views/win32/main_dialog.h"

CVorlinInstallerApp theApp;

bool CVorlinInstallerApp::InitInstance() {
    // Results not tested: without them the window still runs, with plain
    // controls or without pictures.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr);

    // The main-window pointer of the worker. Never destroyed: the worker
    // may post and read the shared members until the process ends.
    static HwndWindowLink& link = *new HwndWindowLink;
    SetMainWindow(&link);
    CWin32MainWindow dlg(link);
    m_exitCode = dlg.RunModal() < 0 ? -1 : 0;
    return false;
}

int CVorlinInstallerApp::ExitInstance() {
    if (m_gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    return m_exitCode;
}
