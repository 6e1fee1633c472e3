// Signs update info with the tests' own key pair (keys/test-update-key.pem, made by
// scripts/sign-update.sh keygen), as scripts/sign-update.sh does: the text served at
// the info's address + ".sig". By the platform's own ECDSA, OpenSSL or BCrypt.
#pragma once

#include <string>
#include <string_view>

namespace vorlane::test {

// The [update] public_key of the test key pair.
inline constexpr char kTestPublicKey[] =
    "04039878efd91c101b3d7761edda43ab469304fb82b22f164722fefb077b22d3d79212016748fc841032409d69bb1ec3fa90cf4f"
    "26"
    "6388c055862cd029ef433c9d";
// The public key of a pair whose private half nobody kept.
inline constexpr char kOtherPublicKey[] =
    "04569087318e4a966cbf5206e687b3c408f6adc1635142fe9a0a016315b83a0e6584b5a3c84a104abc460305d2825d6fef84cbe7"
    "fc6d"
    "11d3965e504e870e816f64";

// 128 hex digits (r then s) and a line end; empty when the platform failed.
std::string SignWithTestKey(std::string_view message);

}  // namespace vorlane::test
