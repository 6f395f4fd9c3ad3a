// The headless front end: the window's logic (CVorlinInstallerDlg) with a
// console view on standard error, for machines without a display and for
// TAVO_HEADLESS=1. Ctrl+C acts as the window's close glyph; the full
// installer's stop request (Windows: message 1129 to the message-only window;
// Linux: SIGUSR1 to this process) reaches the window's 1129 handler; after a
// failure the error text is printed and the window closes as with its Close
// button, so an unattended run always ends.
#pragma once

#include <functional>
#include <string>

#include "views/headless_view.h"

// Claims the single-instance rule (a second copy prints why on standard
// error and ends with -1), reads the command line, starts the worker and
// runs the window's loop on this (the UI) thread until the exit sequence
// ends the process (exit code 0). Returns only if the process end returned,
// which it does not.
int RunHeadlessFrontEnd();

// The single-instance step of the headless front end: the text on standard
// error.
void EnsureSingleInstanceOnConsole();

// Standard error as the console view's output, with the steady clock.
ConsoleOutput StderrConsoleOutput();

// Starts the worker on Services::DoWork and returns once it runs. The thread
// is never joined: the process ends under it (EndProcessNow).
void StartWorkerThread();
