// Linux only: the user's home and XDG base folders, shared by the *_posix.cpp
// implementations of the log and system layers.
#pragma once

#include <string>

namespace Utils::posix {

// $HOME, else the password database's home of the current user; "" when
// neither is known.
std::string HomeDirectory();

// The value of the XDG variable `name` when it is an absolute path, else
// <home>/<fallback> (for example XDG_CONFIG_HOME, ".config"); "" without a
// home folder.
std::string XdgBaseDirectory(const char* name, const char* fallback);

}  // namespace Utils::posix
