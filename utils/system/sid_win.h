// Windows only: the security identifier steps of Utils::GetMachineSID.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

// LookupAccountNameW on the local system into `sid` (68 bytes, the largest
// possible SID), retrying once with a larger domain buffer. True when the SID
// was written.
bool GetAccountSid(const std::wstring& accountName, BYTE (&sid)[68]);

// ConvertSidToStringSidW; "" when the conversion fails.
std::wstring SidToString(PSID sid);

}  // namespace Utils
