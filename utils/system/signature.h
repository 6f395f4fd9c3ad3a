// The Authenticode signature of the full installer and who signed it.
// Called on the worker thread, with the file held open (HeldFile) from the
// check until its launch.
#pragma once

#include <string>
#include <vector>

#include "utils/system/held_file.h"

namespace Utils {

struct SignatureCheck {
    bool accepted = false;
    long trustResult = 0;   // WinVerifyTrust's result: 0 for a valid signature
    std::string signer;     // the signer certificate's subject, "" without one
    std::string signerPin;  // SHA-256 of its SubjectPublicKeyInfo, lower-case hex
    std::string text;       // one line for the log and the fault
};

// Verifies the signature of `file` (held, at `path`): accepted when
// WinVerifyTrust (generic Authenticode policy, no user interface, no
// revocation check and no fetch from the network; given up after 30 s)
// returns 0 and a certificate of the signer's chain has its
// SubjectPublicKeyInfo's SHA-256 in `pins` (64 lower-case hexadecimal
// digits each). Linux has no such signatures: accepted, and `text` says so.
SignatureCheck VerifyFileSignature(const HeldFile& file, const std::wstring& path,
                                   const std::vector<std::string>& pins);

// Whether this platform checks signatures at all.
bool PlatformChecksSignatures();

}  // namespace Utils
