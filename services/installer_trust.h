// Who may sign the full installer: the build's list of pinned signers, and
// the check of a downloaded installer against it before each launch.
//
// The list is set once at start-up, on the window's thread before the
// worker starts, and only read afterwards (the worker's launch stage).
#pragma once

#include <string>
#include <vector>

#include "utils/system/held_file.h"

namespace Services {

// Sets the pinned signers from the build's list: SHA-256 fingerprints (64
// hexadecimal digits, either case) of the DER SubjectPublicKeyInfo of the
// certificates that may sign the full installer, separated by ';' or ','
// (blanks around entries ignored). "" pins nothing: no signature is required.
// Returns false when an entry is malformed; signatures are then still
// required (and nothing matches that entry).
bool SetInstallerSignerPins(const std::string& list);

// The pins in lower case; empty when no signature is required.
std::vector<std::string> InstallerSignerPins();

// Whether `file` (held at `path`) may be launched: true when no signer is
// pinned or the platform has no signatures to check; otherwise the
// signature must be valid and the signer pinned (Utils::VerifyFileSignature).
// A refusal is logged and queued as the fault "services-11" (the
// verification result and the signer found). Worker thread.
bool InstallerMayRun(const Utils::HeldFile& file, const std::wstring& path);

}  // namespace Services
