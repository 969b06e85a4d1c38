#pragma once
// The results of an Authenticode check, in WinVerifyTrust's terms. Other systems map their
// verifier's verdict onto the same values, so the setup decides the same way everywhere.

#include <cstdint>

namespace qv::cable {

inline constexpr std::uint32_t kTrustOk = 0;
inline constexpr std::uint32_t kTrustNoSignature = 0x800B0100;     // TRUST_E_NOSIGNATURE
inline constexpr std::uint32_t kTrustProviderUnknown = 0x800B0001; // TRUST_E_PROVIDER_UNKNOWN
inline constexpr std::uint32_t kTrustSubjectUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN
inline constexpr std::uint32_t kTrustFailure = 0x800B010B;         // TRUST_E_FAIL

// Windows error codes the elevated start reports.
inline constexpr std::uint32_t kErrorNotSupported = 50; // ERROR_NOT_SUPPORTED
inline constexpr std::uint32_t kErrorCancelled = 1223;  // ERROR_CANCELLED: elevation declined

} // namespace qv::cable
