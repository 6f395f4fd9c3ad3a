// What the full installer leaves for the user after a failed run (its
// result text in the registry store), and the address of the help page that
// the error view's Help button opens.
#pragma once

#include <string>

namespace Services {

// The full installer's text for the user: "InstallerResultUIString" of
// HKEY_CURRENT_USER Software\Tavo when its "InstallerResult" is not 0 (at
// most 2048 bytes, up to the first zero character). "" when the key or a
// value is missing (logged) or the result is 0. Worker thread, after a
// failed run of the full installer.
std::wstring GetInstallerResultUIString();

}  // namespace Services

// The help page's address: the help base of the current mode (releaseMode:
// the product web site over https, else the test web site on port 84, path
// "/help/?sourceType=2"), then "&comSystem=" with the OS's full name,
// "&coreVer=" with its version and "&comBit=" with "1" on a 64-bit OS, else
// "0". The OS values are queried afresh; a failed query leaves its value
// empty. Values are appended as they are, blanks included. Window thread.
std::wstring BuildHelpUrl();

// BuildHelpUrl from given values.
std::wstring HelpUrl(bool release, const std::wstring& osName, const std::wstring& osVersion,
                     int osBits);
