// Starting other programs. Called on the install worker thread.
#pragma once

#include <string>
#include <vector>

#include "utils/system/held_file.h"

namespace Utils {

// Capacity of the command-line buffer, terminator included: argument texts
// must be shorter.
inline constexpr size_t kCommandLineCapacity = 40960;

// Runs `program` with `arguments` as its entire command line (nothing
// prepended, nothing quoted), waits for it without time-out and returns its
// exit code. -1 when it could not be started (logged with the system error)
// or when it exited with -1 (then the fault "system-1" is queued); -2 when
// its exit code could not be read. Argument texts of kCommandLineCapacity
// characters or more are refused (-1) rather than cut.
// Linux: the argument text is split like CommandLineToArgvW (its first word
// becomes argv[0]); an exit status of 255 reads as -1; a child ended by a
// signal reads as 128 + the signal number.
int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments);

// ExecutExeAtNewProcess of a file held open since it was checked: `held` is
// released as soon as the process has been created (or could not be), so
// the file that runs is the one that was checked.
int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments,
                          HeldFile& held);

// Starts `program` without arguments and without waiting. True when the
// process was created.
bool StartPrcess(std::wstring program);

// Lets the owner of the file at `path` run it as a program, leaving every
// other permission as it was. Linux: adds the owner's execute bit (a
// downloaded file has none); Windows: nothing to do, true. False with the
// system error set when the file cannot be changed.
bool MakeOwnerExecutable(const std::wstring& path);

// Splits a command line the way CommandLineToArgvW does: the first word ends
// at the first blank or tab (or at its closing quote, without escapes); the
// others follow the backslash and quote rules. An empty text gives no words.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

}  // namespace Utils
