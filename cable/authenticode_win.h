#pragma once
// Authenticode check of one file with WinVerifyTrust, without Qt.

#include <cstdint>
#include <string>

namespace qv::cable {

// WinVerifyTrust's verdict on the file at `path` (a native path): WINTRUST_ACTION_GENERIC_VERIFY_V2
// with no user interface and no revocation checks. The verification state is closed again
// before returning. 0 is a valid signature; see trust_codes.h for the others.
std::uint32_t verifyFileTrust(const std::wstring& path);

} // namespace qv::cable
