// Start-up steps that every front end shares.
#pragma once

#include <functional>
#include <string>

// What a second copy of the installer tells the user before it ends.
inline constexpr wchar_t kAlreadyRunningText[] = L"Tavo浏览器 安装程序已经在运行，请勿重复启动！";

// The single-instance step of the window's initialisation
// (Utils::AcquireSingleInstance). Returns true when this copy may run.
// Otherwise shows kAlreadyRunningText through `tell` (a message box that
// returns once the user has dismissed it, or a line on the console) and
// ends the process with -1 through `end`: nothing is logged or reported, no
// worker is started. Returns false only when `end` returns (tests).
// Window thread, before the command line is read.
bool EnsureSingleInstance(const std::function<void(const std::wstring&)>& tell,
                          const std::function<void(int)>& end);
