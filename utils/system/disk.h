// Folder and disk helpers. Stateless; any thread may call them.
#pragma once

#include <cstdint>
#include <string>

// <windows.h> still defines the 16-bit GetFreeSpace(w) as a macro.
#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

namespace Utils {

// Creates every directory along `path`, the last component included (a
// trailing file name becomes a directory). Windows: `path` must start with a
// drive letter, a colon and a separator; Linux: with "/". Other paths create
// nothing. Results are not reported: callers check the folder afterwards.
void CreateDirectories(const std::wstring& path);

// The bytes available to the calling user on the volume of `dir`; values at
// or above 2^63 read as 2^40. True with `*freeBytes` set (when given).
bool GetFreeSpace(const std::wstring& dir, int64_t* freeBytes = nullptr);

// As GetFreeSpace; -1 when the query fails.
int64_t GetFreeBytes(const std::wstring& dir);

// Schedules `path` for deletion at the next restart (Windows), or records it
// for deletion at this program's next start (Linux: one absolute UTF-8 path
// per line in ${XDG_STATE_HOME:-~/.local/state}/tavo/pending-deletes; a
// relative path is recorded against the current folder; paths with a line
// break are refused). Paths of 260 characters or more are refused. Returns
// true when scheduled.
bool DeleteFileOnReboot(const std::wstring& path);

// Linux: deletes the files recorded by DeleteFileOnReboot and clears the
// record; Windows: nothing (the system does it). Folders are left alone, and
// a link is removed, not its target. Returns how many recorded paths were
// removed. Called once at start-up.
int HonourPendingDeletes();

// Creates a private directory (CreateUniquePrivateDirectory) that did not
// exist before inside the system's temporary folder (Windows: GetTempPathW;
// Linux: $TMP, else $TMPDIR, else /tmp), atomically: a name that exists
// already is never reused. True with
// `dir` set to it, ending with the separator; false (logged by the caller)
// when none could be made.
bool CreateUniqueTempDirectory(std::wstring& dir);

// The "drive" of a path for the disk detail texts: Windows: the path up to
// and including its first colon ("" without one); Linux: the nearest
// existing folder of an absolute path ("" for a relative one).
std::wstring DriveOfPath(const std::wstring& path);

}  // namespace Utils
