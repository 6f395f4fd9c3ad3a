// Folders of the current user alone: the download folders of the full
// installer and its configuration file, which nobody else may put a file
// into, replace one in, or prepare in advance.
//
// Stateless apart from the test seam; any thread may call them.
#pragma once

#include <functional>
#include <string>

namespace Utils {

// Creates the folder `path` (its parent must exist) for the current user
// alone: Windows: its access list names only the current user, is not
// inherited from the parent, and is inherited by what is made inside;
// Linux: mode 0700. Fails when anything exists at `path` already. True
// when this call made it.
bool CreatePrivateDirectory(const std::wstring& path);

// Windows: the security descriptor, as SDDL text, that CreatePrivateDirectory
// gives a folder (owner and access list: the current user alone); "" when
// the current user's SID cannot be read. Linux: "" (the mode is 0700).
std::wstring PrivateDirectorySddl();

// Makes a folder with CreatePrivateDirectory inside `parent` (which ends
// with the separator), named "tavo-" and 12 random characters; a name that
// exists is never used, another is tried. True with `dir` set to it, ending
// with the separator.
bool CreateUniquePrivateDirectory(const std::wstring& parent, std::wstring& dir);

// Whether the folder `path` may hold this program's private folders. Linux:
// a folder (not a link) owned by the user or by root, that nobody else may
// write into unless its sticky bit keeps them from removing or renaming
// what is not theirs; Windows: a folder that is no reparse point (a junction
// would send the downloads elsewhere).
bool SafeParentDirectory(const std::wstring& path);

// Test seam: the names CreateUniquePrivateDirectory tries, instead of random
// ones; nullptr restores them.
void SetPrivateDirectoryNamesForTesting(std::function<std::wstring()> next);

}  // namespace Utils
