// CVorlinInstallerApp: the thin application object of the Win32 program,
// in the part an application framework would play: it prepares the common
// controls and GDI+, makes the main window, points the worker at it and
// runs it modally. In ordinary use the process ends inside the window's
// exit sequence and the start-up routine never returns.
//
// Window (main) thread only.
#pragma once

#include <windows.h>

#include "views/win32/mybutton.h"

class CVorlinInstallerApp {
  public:
    CVorlinInstallerApp() = default;
    CVorlinInstallerApp(const CVorlinInstallerApp&) = delete;
    CVorlinInstallerApp& operator=(const CVorlinInstallerApp&) = delete;

    // The start-up routine. Returns false: the application runs no message
    // loop of its own (the window's modal loop is the program's).
    bool InitInstance();
    // The exit routine: shuts GDI+ down. Returns the program's exit code:
    // -1 when the main window could not be created, else 0.
    int ExitInstance();

  private:
    // Version 1, no debug callback, background thread and codecs on.
    Gdiplus::GdiplusStartupInput m_gdiplusStartupInput;
    ULONG_PTR m_gdiplusToken = 0;
    int m_exitCode = 0;
};

// The application object.
extern CVorlinInstallerApp theApp;
