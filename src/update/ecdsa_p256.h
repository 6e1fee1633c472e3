// The check of an ECDSA signature over P-256 by the platform's own implementation:
// BCrypt on Windows (ecdsa_p256_bcrypt.cpp), OpenSSL elsewhere
// (ecdsa_p256_openssl.cpp). Keys and signatures are in the raw forms both take;
// what is signed and how the texts are read is written once (update_signature.*).
#pragma once

#include <array>
#include <cstdint>

#include "config/update_values.h"

namespace vorlane::update {

// A public key: the curve point, X then Y, 32 bytes each, big-endian.
using EcPublicKey = std::array<std::uint8_t, 64>;
// A signature: r then s, 32 bytes each, big-endian.
using EcSignature = std::array<std::uint8_t, 64>;

// Whether `signature` is the holder of `key`'s signature of the SHA-256 `digest`.
// False for a point that is not on the curve and whenever the platform fails.
bool VerifyP256(const EcPublicKey& key, const config::Sha256Digest& digest, const EcSignature& signature);

}  // namespace vorlane::update
