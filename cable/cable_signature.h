#pragma once
// The Authenticode verdict on an installer, as a WinVerifyTrust result (trust_codes.h).
//
//   Windows  WinVerifyTrust (authenticode_win.h)
//   POSIX    "osslsigncode verify" mapped onto the same codes: exit 0 is valid, "No signature
//            found" is TRUST_E_NOSIGNATURE, an unreadable file TRUST_E_SUBJECT_FORM_UNKNOWN, any
//            other failure TRUST_E_FAIL. Without the tool the answer is TRUST_E_PROVIDER_UNKNOWN:
//            a missing verifier never reads as a valid or an absent signature.

#include "cable/trust_codes.h"

#include <QString>

namespace qv::ui {

quint32 verifyInstallerSignature(const QString& path);

} // namespace qv::ui
