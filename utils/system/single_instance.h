// The single-instance rule: only one copy of the installer runs at a time.
// The window's initialisation claims the rule once, before it reads the
// command line; a copy that cannot claim it tells the user and ends with -1.
#pragma once

#include <string>

namespace Utils {

// The rule's name, shared by every copy of the installer.
inline constexpr wchar_t kSingleInstanceName[] = L"Tavo_Installer_Zel";

// Claims the rule `name` for the rest of this process's life; nothing
// releases it but the process end (a crash included). Window thread.
//
// Returns false only when another holder is known: another process, or an
// earlier claim of the same name by this process. Returns true when the rule
// was taken, and also when it cannot be checked at all (the program then
// carries on as the only copy, unprotected).
//
//   Windows: the named kernel mutex `name` (CreateMutexW without initial
//   ownership, never closed); taken by another when GetLastError() says
//   ERROR_ALREADY_EXISTS.
//   Linux: an exclusive flock (LOCK_EX | LOCK_NB) on the per-user lock file
//   "$XDG_RUNTIME_DIR/<name>.lock", or, without XDG_RUNTIME_DIR,
//   "<temporary folder>/<name>-<uid>.lock" (TMP, else TMPDIR, else /tmp).
//   The file is opened close-on-exec, so the programs this one starts never
//   hold the lock, and the descriptor is never closed.
bool AcquireSingleInstance(const std::wstring& name = kSingleInstanceName);

}  // namespace Utils
