// The launch stage: the full installer's command line, its run and the
// judging of its exit code, and the hand-over of the installed version.
//
// Threads: the worker runs the stage (ExcuteVersion blocks it while the full
// installer runs); the other functions have no state and any thread may call
// them.
#pragma once

#include <cstdint>
#include <string>

#include "services/pipeline_clock.h"
#include "services/stages.h"

// `value` as one piece of the full installer's command line: unchanged
// unless it holds a blank, a tab or a double quote; then in double quotes,
// with each double quote and the backslashes before it (and those before the
// closing quote) escaped, so that CommandLineToArgvW and
// Utils::SplitCommandLine give the value back unchanged.
std::wstring QuoteCommandLineValue(const std::wstring& value);

// The full installer's command line:
//   "--from-tavo-setup --verbose-logging  --uuid=<uuid>"
// (" --verbose-logging " ends with a blank, so two separate it from the uuid
// piece), then, each only when it applies, " --config-path=", " --test"
// (`release` false), " --bookmark-url=", " --favicon-url=",
// " --import-rule-url=", " --topsites-url=", " --yindaohwnd=" with
// `stopTarget` as a signed decimal number (not 0), and
// " --zel_install_path=". Values go through QuoteCommandLineValue.
std::wstring BuildInstallerCommandLine(const LaunchRequest& request, bool release,
                                       intptr_t stopTarget);

// Where the full installer sends its stop request, for " --yindaohwnd=":
// Windows: the handle of the main window (MainWindowLink::Handle), to which
// it posts message 1129; Linux: this program's process id, to which it sends
// SIGUSR1, but only while this process handles SIGUSR1 (the front end's
// stop request), since the signal's default action would kill it. 0 when
// there is nobody to stop.
intptr_t StopRequestTarget();

namespace Services {

// Runs the downloaded full installer with its command line and judges its
// exit code: 0 installed ("安装完毕。", status 0, the app version of the
// installer); 4 a higher version is installed (its browser is started,
// status 4, the run counts as done; without "Tavo.exe" the stale "pv" is set
// to "0.0.0.0" and the installer runs again at once, at most three runs in
// all, then the registry clean-up text); -1 runs again after 1000, 2000 and
// 3000 ms (`clock`), three runs in all; any other code ends with the full
// installer's own result text or "安装程序遇到错误" in the error view. Sets
// the main window's status code, app version and higher-version flag, and
// excuteVersionTime. On Linux it first makes the installer executable for
// its owner. Each run holds the file (Utils::HeldFile) from its check to
// its start; a file that cannot be held counts as not started (-1). With
// pinned signers (InstallerSignerPins) an installer whose signature or
// signer is refused is not run: it is removed, the fault "services-11" is
// queued, the error view shows "安装程序签名校验失败" and the status is
// kStatusInstallerUntrusted (1016). Worker thread.
void ExcuteVersion(const LaunchRequest& request, const PipelineClock& clock);

}  // namespace Services
