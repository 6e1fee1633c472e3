// Whether the update info is the maker's: a detached ECDSA P-256 signature over the
// SHA-256 of the info's exact bytes, checked against the build's public key
// ([update] public_key). Only a signed info may name the package to unpack and run.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "config/app_config.h"
#include "config/update_values.h"
#include "update/ecdsa_p256.h"

namespace vorlane::update {

// A signature answer longer than this is not read: its text is 128 digits.
inline constexpr std::size_t kMaxSignatureBytes = 1024;

// The key's text: 130 hex digits, "04" then X and Y (the uncompressed point), with
// blanks around it. Nothing for any other text, an empty one included.
std::optional<EcPublicKey> ReadPublicKey(std::string_view text);
// The signature's text: 128 hex digits, r then s, with blanks and line ends around
// it. Nothing for any other text.
std::optional<EcSignature> ReadSignature(std::string_view text);

// Whether `signatureText` is the signature of `message` by the key of `keyText`.
bool IsSignedBy(std::string_view message, std::string_view signatureText, std::string_view keyText);

// The update values the update window works with: the local configuration, with
// the update info laid over it (config::ApplyUpdateInfo) only when `signature`
// verifies against the configuration's key. The package's digest and size come
// from a signed info alone; the local configuration's count for nothing, so that
// without one the package is never unpacked or run. An info that does not verify
// gives only the version it claims, for the window to send the user to the page.
config::UpdateValues ReadOfferedUpdate(const config::AppConfig& local, std::string_view info,
                                       std::string_view signature);

}  // namespace vorlane::update
